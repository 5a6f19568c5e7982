#include "platform/win32/window_dpi.h"

#include <algorithm>

#include "platform/win32/dll_search.h"

namespace platform::win32 {
namespace {

// Windows 10 functions, looked up at run time: the programs also run on Windows 7.
template <typename Function>
Function User32Function(const char* name) {
  return ExportOf<Function>(GetModuleHandleW(L"user32.dll"), name);
}

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

RECT WorkAreaWhereTheUserIs() {
  POINT pointer{};
  GetCursorPos(&pointer);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY), &info)) {
    return info.rcWork;
  }
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

}  // namespace

int WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

void PlaceWindow(HWND window, SIZE client, int dpi, const POINT* at) {
  using AdjustFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = User32Function<AdjustFunction>("AdjustWindowRectExForDpi");
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  const auto extended = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  RECT frame{0, 0, client.cx, client.cy};
  if (adjustForDpi == nullptr ||
      !adjustForDpi(&frame, style, FALSE, extended, static_cast<UINT>(dpi))) {
    frame = {0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&frame, style, FALSE, extended);
  }
  SIZE size{frame.right - frame.left, frame.bottom - frame.top};
  POINT corner{};
  if (at != nullptr) {
    corner = *at;
  } else {
    const RECT work = WorkAreaWhereTheUserIs();
    corner = {std::max(work.left, work.left + (work.right - work.left - size.cx) / 2),
              std::max(work.top, work.top + (work.bottom - work.top - size.cy) / 2)};
  }
  SetWindowPos(window, nullptr, corner.x, corner.y, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // Where the frame is not drawn at that DPI after all (the system scales it, or not), the
  // client area still gets its size.
  RECT got{};
  GetClientRect(window, &got);
  if (got.right != client.cx || got.bottom != client.cy) {
    size.cx += client.cx - got.right;
    size.cy += client.cy - got.bottom;
    SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // Controls moved within it leave their old pictures behind otherwise.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

POINT WorkAreaCornerWhereTheUserIs() {
  const RECT work = WorkAreaWhereTheUserIs();
  return {work.left, work.top};
}

}  // namespace platform::win32
