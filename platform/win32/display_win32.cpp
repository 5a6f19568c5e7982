#include "platform/win32/display_win32.h"

#include <windows.h>

namespace platform::win32 {

std::optional<DisplayMode> DisplayWin32::EnumMode(std::uint32_t index) {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsW(nullptr, index, &mode)) return std::nullopt;
  return DisplayMode{static_cast<std::int32_t>(mode.dmPelsWidth),
                     static_cast<std::int32_t>(mode.dmPelsHeight),
                     static_cast<std::int16_t>(mode.dmBitsPerPel & 0xFFFF)};
}

std::int32_t DisplayWin32::ChangeSettings(const DisplayMode& mode, std::uint32_t flags) {
  DEVMODEW record{};
  record.dmSize = sizeof record;
  record.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  record.dmBitsPerPel = static_cast<DWORD>(mode.bits);
  record.dmPelsWidth = static_cast<DWORD>(mode.width);
  record.dmPelsHeight = static_cast<DWORD>(mode.height);
  return ChangeDisplaySettingsW(&record, flags);
}

std::int32_t DisplayWin32::BitsPerPixel() {
  HWND desktop = GetDesktopWindow();
  HDC context = GetDC(desktop);
  const int bits = GetDeviceCaps(context, BITSPIXEL);
  ReleaseDC(desktop, context);
  return bits;
}

std::int32_t DisplayWin32::ScreenWidthPixels() { return GetSystemMetrics(SM_CXSCREEN); }

std::int32_t DisplayWin32::ScreenHeightPixels() { return GetSystemMetrics(SM_CYSCREEN); }

}  // namespace platform::win32
