#!/usr/bin/env bash
# Benchmarks (never part of the tests): the core's Google Benchmarks on Linux, then the
# programs' timings under Wine. Prints figures only; nothing here fails on speed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=tools/deps.sh
source tools/deps.sh
tw_install_deps
# shellcheck source=tools/google_benchmark.sh
source tools/google_benchmark.sh
# Without it the system's library is used, and says it was built as DEBUG.
tw_release_benchmark build >/dev/null || echo "bench: measuring on the system's Google Benchmark" >&2
tw_build_for bench bench win32 win64

echo "== Core benchmarks (Linux)"
build/bench/benchmarks/core_bench --benchmark_min_time=0.2

# shellcheck source=tests/e2e/wine_env.sh
source tests/e2e/wine_env.sh
winenv_detect
preset=win$TW_WINE_BITS
export TW_KEEPER_EXE=$root/build/$preset/e2e/keeper.exe
trap winenv_stop EXIT
winenv_start "$root/build/bench-$preset" "$root/build/wine-cache"
export TW_DIST=$root/dist/$preset/Tidewarden TW_E2E_BIN=$root/build/$preset/e2e
echo "== Tidewarden under ${TW_WINE_BITS}-bit Wine ($preset build)"
python3 benchmarks/tray_bench.py "${TW_BENCH_IDLE_SECONDS:-300}"
echo "== Scrubwright under ${TW_WINE_BITS}-bit Wine ($preset build)"
# A copy: no program is ever run inside the folder that is packed.
scrubwright=$root/build/bench-$preset/Scrubwright/Scrubwright.exe
mkdir -p "$(dirname "$scrubwright")"
cp "$TW_DIST/Scrubwright/Scrubwright.exe" "$scrubwright"
python3 benchmarks/scrubwright_fill.py "$scrubwright" "$root/build/bench/benchmarks/first_touch" 5
