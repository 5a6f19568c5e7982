#!/usr/bin/env bash
# Builds a release into dist/: both Windows presets (their zips, setup programs and
# SHA256SUMS), checked against SHA256SUMS, and with --base-url the winget and Scoop manifests
# for artifacts put at that address (dist/winget/, dist/scoop/). Nothing is published.
#   tools/release.sh [--base-url URL]
# With TW_SIGN_PKCS12 and TW_SIGN_PASSWORD_FILE (and TW_SIGN_TIMESTAMP_URL, if wanted) set, the
# programs, the setup programs and their uninstallers are signed (see README).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
base_url=
while [ $# -gt 0 ]; do
  case $1 in
    --base-url)
      if [ $# -lt 2 ] || [ -z "$2" ]; then
        echo "release.sh: --base-url needs a URL" >&2
        exit 2
      fi
      base_url=$2
      shift 2
      ;;
    *)
      echo "usage: tools/release.sh [--base-url URL]" >&2
      exit 2
      ;;
  esac
done
# Relative key paths are the caller's, not the build folder's.
for name in TW_SIGN_PKCS12 TW_SIGN_PASSWORD_FILE; do
  if [ -n "${!name:-}" ]; then
    export "$name=$(realpath -- "${!name}")"
  fi
done
cd "$root"
# shellcheck source=tools/deps.sh
source tools/deps.sh
tw_install_deps

version=$(sed -nE 's/^project\(Tidewarden VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
if ! grep -qxF "## $version" CHANGELOG.md; then
  echo "release.sh: CHANGELOG.md has no section '## $version'; say what changed first" >&2
  exit 1
fi
for preset in win32 win64; do
  echo "Building the $preset preset"
  cmake --preset "$preset" -DTW_WERROR=ON >/dev/null
  cmake --build --preset "$preset"
done
(cd dist && sha256sum --check --strict SHA256SUMS)
if [ -n "$base_url" ]; then
  python3 tools/release_manifests.py "$root/dist" "$version" "$base_url" "$root"
fi
