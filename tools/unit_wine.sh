#!/usr/bin/env bash
# Runs the unit tests of a Windows build under Wine, in a Wine prefix of their own without a
# display (console programs need none).
#   tools/unit_wine.sh 32|64
# The win32 build needs a Wine that runs 32-bit programs: where the kernel refuses them, start
# this inside tw_with_i386_emulator (tools/i386_emulator.sh), as tools/test.sh does.
# Each program's output goes to build/unit-win<BITS>/<program>.log. The last line is the
# summary; the exit status is 0 when every test passed, 1 when one failed, 2 when the tests
# could not be run.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bits=${1:-}
case $bits in
  32 | 64) ;;
  *)
    echo "usage: tools/unit_wine.sh 32|64" >&2
    exit 2
    ;;
esac
preset=win$bits
bin=$root/build/$preset/unit
logs=$root/build/unit-$preset
where="Unit tests on the $preset build under Wine${TW_I386_EMULATOR:+ (through qemu-i386)}"
shopt -s nullglob
programs=("$bin"/*_test.exe)
if [ ${#programs[@]} -eq 0 ]; then
  echo "$where: no test programs in $bin (build the $preset preset first)"
  exit 2
fi

# shellcheck source=tests/e2e/wine_env.sh
source "$root/tests/e2e/wine_env.sh"
start=$(date +%s)
rm -rf "$logs"
mkdir -p "$logs"
trap winenv_stop EXIT
if ! TW_WINE_BITS_WANT=$bits winenv_start_console "$root/build/unit-work-$preset" \
  "$root/build/wine-cache" 2>"$logs/wine.log"; then
  cat "$logs/wine.log"
  echo "$where: no Wine session (log: $logs/wine.log)"
  exit 2
fi

tests=0
failures=()
for program in "${programs[@]}"; do
  name=$(basename "$program" .exe)
  log=$logs/$name.log
  # A hung program must not hang the test command; no test takes a minute.
  timeout -k 5 "${TW_UNIT_TIMEOUT:-300}" "$TW_WINE" "$program" --gtest_color=no \
    </dev/null >"$log" 2>&1
  status=$?
  sed -i 's/\r$//' "$log"  # MinGW's console output ends its lines with CR LF
  ran=$(sed -nE 's/^\[==========\] ([0-9]+) tests? from .* ran\..*/\1/p' "$log" | tail -n 1)
  tests=$((tests + $(grep -c '^\[ RUN' "$log")))
  # The per-test result lines, without their time: the names of the failed tests.
  mapfile -t failed < <(sed -nE 's/^\[  FAILED  \] (.*) \([0-9]+ ms\)$/\1/p' "$log")
  if [ ${#failed[@]} -gt 0 ]; then
    failures+=("${failed[@]/#/$name: }")
  elif [ "$status" -ne 0 ] || [ -z "$ran" ]; then
    # Ended without a verdict (a crash, a time-out, an abort): name the test that was running.
    last=$(sed -nE 's/^\[ RUN      \] (.*)$/\1/p' "$log" | tail -n 1)
    if [ -n "$last" ] && ! grep -qE "^\[ +(OK|FAILED|SKIPPED) +\] $last( |$)" "$log"; then
      failures+=("$name: $last (the program ended there, status $status)")
    else
      failures+=("$name: ended with status $status")
    fi
  fi
done
seconds=$(($(date +%s) - start))
if [ ${#failures[@]} -eq 0 ]; then
  echo "$where: all $tests tests of ${#programs[@]} programs passed (${seconds} s)"
  exit 0
fi
for failure in "${failures[@]}"; do
  echo "  FAILED: $failure"
done
echo "$where: ${#failures[@]} failed of $tests tests run (${seconds} s; logs: $logs)"
exit 1
