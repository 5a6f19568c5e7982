#!/usr/bin/env bash
# The soak benchmark: Tidewarden kept busy under Wine for SECONDS (default 1800).
#   tools/soak.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=tools/deps.sh
source tools/deps.sh
tw_install_deps
tw_build_for soak win32 win64
# shellcheck source=tests/e2e/wine_env.sh
source tests/e2e/wine_env.sh
winenv_detect
preset=win$TW_WINE_BITS
export TW_KEEPER_EXE=$root/build/$preset/e2e/keeper.exe
export TW_DIST=$root/dist/$preset/Tidewarden TW_E2E_BIN=$root/build/$preset/e2e
trap winenv_stop EXIT
winenv_start "$root/build/soak-$preset" "$root/build/wine-cache"
python3 benchmarks/soak.py "${1:-1800}"
