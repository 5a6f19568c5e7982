#!/usr/bin/env bash
# Builds everything and starts Tidewarden under Wine, on a Wine desktop with a taskbar.
#   tools/start.sh [win32|win64]
# Without a choice: the win32 build where this machine runs 32-bit programs, else win64. The
# win32 build asked for on a machine whose kernel refuses 32-bit programs runs through
# qemu-i386 (tools/i386_emulator.sh); TW_WIN32_VIA=emulator asks for that anywhere.
# With a display: the desktop opens as a window on it; close Tidewarden (or press Ctrl+C)
# to end. Without one: a private Xvfb is started, a screenshot is saved and its path printed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
asked=${1:-}
case $asked in
  '' | win32 | win64) ;;
  *)
    echo "usage: tools/start.sh [win32|win64]" >&2
    exit 2
    ;;
esac
# shellcheck source=tools/i386_emulator.sh
source tools/i386_emulator.sh

# Inside the emulator's namespace (see below) everything is built already.
if [ -z "${TW_I386_EMULATOR:-}" ]; then
  # shellcheck source=tools/deps.sh
  source tools/deps.sh
  tw_install_deps

  # With warnings as errors, as tools/test.sh builds: it then has nothing to build again.
  for preset in host win32 win64; do
    echo "Building the $preset preset"
    cmake --preset "$preset" -DTW_WERROR=ON >/dev/null
    cmake --build --preset "$preset"
  done

  native=no
  tw_i386_native && native=yes
  if [ -z "$asked" ]; then
    if [ $native = yes ]; then asked=win32; else asked=win64; fi
    [ "$asked" = win32 ] || echo "32-bit programs cannot run here: starting the win64 build."
  fi
  if [ "$asked" = win32 ] && { [ "${TW_WIN32_VIA:-}" = emulator ] || [ $native = no ]; }; then
    qemu=$(tw_i386_emulator "$root/build")
    echo "Starting the win32 build through $("$qemu" --version | head -n 1)"
    tw_with_i386_emulator "$qemu" "$root/tools/start.sh" win32
    exit
  fi
fi

# shellcheck source=tests/e2e/wine_env.sh
source tests/e2e/wine_env.sh
TW_WINE_BITS_WANT=${asked#win} winenv_detect
preset=win$TW_WINE_BITS
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
