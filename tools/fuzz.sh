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
tally() {  # NAME OK RUNS LOG: one target's line and the counts
  if [ "$2" = yes ] && [ -n "$3" ]; then
    echo "fuzz $1: $3 executions, 0 crashes"
    passed=$((passed + 1))
    total=$((total + $3))
  else
    echo "fuzz $1: FAILED; see $4 and build/fuzz-crashes/"
    grep -aE 'ERROR|SUMMARY|runtime error|FAIL|Error' "$4" | head -n 5
    failed=$((failed + 1))
  fi
}
for target in settings_scan watch_list numbers mode_caption tool_values; do
  corpus=build/fuzz-corpus/$target
  mkdir -p "$corpus" build/fuzz-crashes
  log=build/fuzz-$target.log
  ok=no
  "build/fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="build/fuzz-crashes/$target-" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 &&
    ok=yes
  tally "$target" "$ok" "$(grep -oE 'Done [0-9]+ runs' "$log" | grep -oE '[0-9]+' | tail -n 1)" "$log"
done
# The ANSI decoding is the system's, so it is fed under Wine (tests/e2e/ansicheck), about as
# long as one target. The test command leaves this out: its end-to-end run includes it.
if [ "${TW_FUZZ_ANSI:-1}" != 0 ]; then
  log=build/fuzz-ansi_decoding.log
  ok=no
  cmake --preset win64 >"$log" 2>&1 && cmake --build --preset win64 >>"$log" 2>&1 &&
    TW_ANSI_INPUTS=$((seconds * 100000)) TW_E2E_RUN=fuzz-ansi tests/e2e/run.sh \
      build/fuzz-ansi-counts test_ansi.py >>"$log" 2>&1 && ok=yes
  tally "ansi_decoding (under Wine)" "$ok" \
    "$(grep -aoE 'inputs [0-9]+ failures 0' "$log" | grep -oE '[0-9]+' | head -n 1)" "$log"
fi
echo "fuzz: ${total} executions in all"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
