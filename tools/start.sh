#!/usr/bin/env bash
# Builds everything and starts Tidewarden under Wine, on a Wine desktop with a taskbar.
# With a display: the desktop opens as a window on it; close Tidewarden (or press Ctrl+C)
# to end. Without one: a private Xvfb is started, a screenshot is saved and its path printed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=tools/deps.sh
source tools/deps.sh
tw_install_deps

for preset in host win32 win64; do
  echo "Building the $preset preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

# shellcheck source=tests/e2e/wine_env.sh
source tests/e2e/wine_env.sh
winenv_detect
preset=win$TW_WINE_BITS
[ "$TW_WINE_BITS" = 32 ] || echo "32-bit programs cannot run here: starting the win64 build."
# Run from a copy of the programs in a folder of its own: what a run leaves beside them
# (hwnd.tmp, settings) stays there, out of the folder the zip and the installer are made from.
# The settings kept there are used again by the next start.
run=$root/build/run-$preset
for file in Tidewarden.exe Marrowgate.exe Scrubwright/Scrubwright.exe; do
  mkdir -p "$(dirname "$run/Tidewarden/$file")"
  cp "$root/dist/$preset/Tidewarden/$file" "$run/Tidewarden/$file"
done
program=$run/Tidewarden/Tidewarden.exe
export TW_KEEPER_EXE=$root/build/$preset/e2e/keeper.exe

if [ -n "${DISPLAY:-}" ]; then
  export TW_WINE_USE_DISPLAY=1
fi
trap winenv_stop EXIT
winenv_start "$run" "$root/build/wine-cache"
echo "Starting $program"
"$TW_WINE" "$program" &
tidewarden=$!

if [ "${TW_WINE_USE_DISPLAY:-0}" = 1 ]; then
  echo "Tidewarden runs in the Wine desktop window on $DISPLAY."
  wait "$tidewarden" || true
else
  sleep 5
  shot=$root/build/screenshots/tidewarden-$preset.png
  mkdir -p "$(dirname "$shot")"
  winenv_screenshot "$shot"
  echo "Screenshot: $shot"
  kill "$tidewarden" 2>/dev/null || true
fi
