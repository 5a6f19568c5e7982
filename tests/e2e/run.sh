#!/usr/bin/env bash
# Runs the end-to-end tests of the real programs on a private Wine desktop.
#   tests/e2e/run.sh COUNTS_FILE [PATTERNS]
# PATTERNS: test file globs separated by commas (default test_*.py). TW_E2E_RUN names the run,
# so that two runs side by side get a desktop and a Wine prefix each.
# Tests the build whose bitness this machine's Wine can run (win32 where 32-bit programs run,
# else win64; TW_WINE_BITS_WANT forces one). Screenshots go to build/e2e-artifacts.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
counts=$1
pattern=${2:-test_*.py}

# shellcheck source=tests/e2e/wine_env.sh
source "$root/tests/e2e/wine_env.sh"
winenv_detect
preset=win$TW_WINE_BITS
export TW_DIST=$root/dist/$preset/Tidewarden
export TW_E2E_BIN=$root/build/$preset/e2e
export TW_KEEPER_EXE=$TW_E2E_BIN/keeper.exe
export TW_ARTIFACTS=$root/build/e2e-artifacts/$preset
mkdir -p "$TW_ARTIFACTS"
for needed in "$TW_DIST/Tidewarden.exe" "$TW_E2E_BIN/winprobe.exe" "$TW_KEEPER_EXE"; do
  [ -f "$needed" ] || { echo "missing $needed: build the $preset preset first" >&2; exit 2; }
done

echo "End-to-end tests on the $preset build under ${TW_WINE_BITS}-bit Wine${TW_I386_EMULATOR:+, through $TW_I386_EMULATOR}"
work=$root/build/e2e-work-$preset${TW_E2E_RUN:+-$TW_E2E_RUN}
trap winenv_stop EXIT
winenv_start "$work" "$root/build/wine-cache"

# Tests set the free memory the programs see through a file of their own mounted over
# /proc/meminfo, in a mount namespace private to the test run (needs root). Without it
# those tests are skipped.
tests=(python3 "$root/tests/e2e/run_tests.py" "$counts" "$pattern")
meminfo=$work/meminfo
# shellcheck disable=SC2016 # $1 is for the inner shell
mount_meminfo='mount --bind "$1" /proc/meminfo'
if cp /proc/meminfo "$meminfo" 2>/dev/null &&
  unshare -m sh -c "$mount_meminfo" sh "$meminfo" 2>/dev/null; then
  TW_FAKE_MEMINFO=$meminfo unshare -m sh -c "$mount_meminfo"' && shift && exec "$@"' \
    sh "$meminfo" "${tests[@]}"
else
  echo "cannot mount over /proc/meminfo here: tests that set the free memory are skipped" >&2
  "${tests[@]}"
fi
