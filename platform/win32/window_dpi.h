#pragma once

#include <windows.h>

namespace platform::win32 {

// The dots per inch a window is drawn at: its monitor's, where the system tells each
// monitor's apart (Windows 10 on), else the system's.
int WindowDpi(HWND window);

// Sizes a window to a client area of `client` pixels, its frame as drawn at `dpi`, and puts
// it at `at`; without one, centred in the work area of the monitor the pointer is on (never
// under the taskbar, never on another screen; a window larger than the work area keeps its
// top left corner in it).
void PlaceWindow(HWND window, SIZE client, int dpi, const POINT* at);

// The top left corner of the work area of the monitor the pointer is on: where a window is
// made before its size is known, so that it gets that monitor's DPI.
POINT WorkAreaCornerWhereTheUserIs();

}  // namespace platform::win32
