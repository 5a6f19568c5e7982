# shellcheck shell=bash
# Installs what building and testing need on a Debian machine, only what is missing, so it is
# cheap to run again. Sourced by start.sh, test.sh, bench.sh and soak.sh.

# clang and libclang-rt-dev (libFuzzer and the sanitizers' runtimes): the fuzz preset;
# clang-format: the format check.
# xvfb, imagemagick (import, convert), fonts-ipafont-gothic and locales (ja_JP for localedef):
# the Wine test desktop and its screenshots.
# git: the commit's time written into the programs; osslsigncode and openssl: signing with a
# given key, and the release test's throwaway one; python3-yaml: reading the winget manifests.
TW_PACKAGES=(
  cmake ninja-build g++ python3 libgtest-dev libbenchmark-dev
  clang libclang-rt-dev clang-format
  mingw-w64 wine wine64 wine32:i386
  xvfb imagemagick fonts-ipafont-gothic locales nsis
  git osslsigncode openssl python3-yaml
)

tw_missing_packages() {
  local pkg
  for pkg in "${TW_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q '^install ok installed$' ||
      printf '%s\n' "$pkg"
  done
}

tw_install_deps() {
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  # wine32 is an i386 package; without the architecture apt cannot even see it.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
  fi
  local missing
  missing=$(tw_missing_packages)
  [ -n "$missing" ] || return 0
  echo "Installing: ${missing//$'\n'/ }" >&2
  "${sudo[@]}" apt-get update -q >&2
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q \
    $missing >&2 || {
    # wine32's i386 triggers fail on machines that cannot run 32-bit programs; the packages
    # are unpacked all the same, and the tests then use 64-bit Wine.
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q -f >&2 || true
  }
  missing=$(tw_missing_packages | grep -vx 'wine32:i386' || true)
  if [ -n "$missing" ]; then
    echo "Could not install: ${missing//$'\n'/ }" >&2
    return 1
  fi
}

# Builds the given presets for a benchmark named WHAT; a failed build prints its log and ends
# the script, so no figure is ever measured on an old build.
tw_build_for() {  # WHAT PRESET...
  local what=$1 preset log
  shift
  mkdir -p build
  for preset in "$@"; do
    log=build/$what-build-$preset.log
    if ! { cmake --preset "$preset" && cmake --build --preset "$preset"; } >"$log" 2>&1; then
      cat "$log" >&2
      echo "$what: building the $preset preset failed (log: $log); nothing was measured" >&2
      exit 1
    fi
  done
}

# Prepares one fetch from the machine's own Debian mirror (read from apt, the suite from
# /etc/os-release) through an apt configuration of ours in WORK: its own sources list, lists
# and cache, so the machine's package sources stay as they are. KIND is deb or deb-src; the
# suite is the release's own name followed by SUFFIX (empty, or -backports). On success
# TW_APT holds the options for `apt-get "${TW_APT[@]}" ...`, with its lists fresh; apt's
# output goes to WORK/apt.log.
# shellcheck disable=SC2016 # the $(...) below are apt's format fields
tw_private_apt() {  # WORK KIND SUFFIX
  local work=$1 codename mirror
  codename=$(. /etc/os-release && printf '%s' "${VERSION_CODENAME:-}")
  mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null |
    awk -v suite="$codename" '$2 == suite { print $1; exit }')
  if [ -z "$codename" ] || [ -z "$mirror" ]; then
    echo "no Debian mirror for '${codename:-?}' in this machine's apt sources" >"$work/apt.log"
    return 1
  fi
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/parts" || return 1
  printf '%s %s %s%s main\n' "$2" "$mirror" "$codename" "$3" >"$work/sources.list"
  TW_APT=(-q -o "Dir::Etc::SourceList=$work/sources.list" -o "Dir::Etc::SourceParts=$work/parts"
    -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache" -o APT::Sandbox::User=root)
  apt-get "${TW_APT[@]}" update >"$work/apt.log" 2>&1
}
