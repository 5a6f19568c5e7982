#!/usr/bin/env bash
# Runs every libFuzzer target for SECONDS each (default 120) from the seeds in fuzz/corpus and
# the corpus grown by earlier runs in build/fuzz-corpus, then feeds the ANSI decoding under
# Wine SECONDS x 100 000 inputs. Prints executions and crashes per target and a last line
# "N passed, N failed" (a target passes when it found no crash).
#   tools/fuzz.sh [SECONDS]
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 2
seconds=${1:-120}
if [ "${TW_SKIP_DEPS:-0}" != 1 ]; then
  # shellcheck source=tools/deps.sh
  source tools/deps.sh
  tw_install_deps || exit 2
fi
mkdir -p build && cmake --preset fuzz >build/build-fuzz.log 2>&1 && cmake --build --preset fuzz >>build/build-fuzz.log 2>&1 || {
  cat build/build-fuzz.log
  echo "0 passed, 1 failed"
  exit 1
}
rm -f build/build-fuzz.log
passed=0
failed=0
total=0
for target in settings_scan watch_list numbers mode_caption tool_values; do
  corpus=build/fuzz-corpus/$target
  mkdir -p "$corpus" build/fuzz-crashes
  log=build/fuzz-$target.log
  "build/fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="build/fuzz-crashes/$target-" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1
  status=$?
  runs=$(grep -oE 'Done [0-9]+ runs' "$log" | grep -oE '[0-9]+' | tail -n 1)
  if [ "$status" -eq 0 ] && [ -n "$runs" ]; then
    echo "fuzz $target: ${runs} executions, 0 crashes"
    passed=$((passed + 1))
    total=$((total + runs))
  else
    echo "fuzz $target: FAILED (exit $status); see $log and build/fuzz-crashes/"
    grep -E 'ERROR|SUMMARY|runtime error' "$log" | head -n 5
    failed=$((failed + 1))
  fi
done
# The ANSI decoding is the system's, so it is fed under Wine (tests/e2e/ansicheck), about as
# long as one target. The test command leaves this out: its end-to-end run includes it.
if [ "${TW_FUZZ_ANSI:-1}" != 0 ]; then
  inputs=$((seconds * 100000))
  log=build/fuzz-ansi_decoding.log
  if cmake --preset win64 >"$log" 2>&1 && cmake --build --preset win64 >>"$log" 2>&1 &&
    TW_ANSI_INPUTS=$inputs TW_E2E_RUN=fuzz-ansi tests/e2e/run.sh build/fuzz-ansi-counts \
      test_ansi.py >>"$log" 2>&1; then
    runs=$(grep -aoE 'inputs [0-9]+ failures 0' "$log" | grep -oE '[0-9]+' | head -n 1)
    echo "fuzz ansi_decoding (under Wine): ${runs} executions, 0 crashes"
    passed=$((passed + 1))
    total=$((total + runs))
  else
    echo "fuzz ansi_decoding (under Wine): FAILED; see $log"
    grep -aE 'FAIL|Error' "$log" | head -n 5
    failed=$((failed + 1))
  fi
fi
echo "fuzz: ${total} executions in all"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
