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

std::optional<DisplayMode> DisplayWin32::CurrentMode() {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmPelsWidth > 0 &&
      mode.dmPelsHeight > 0 && mode.dmBitsPerPel > 0) {
    return DisplayMode{static_cast<std::int32_t>(mode.dmPelsWidth),
                       static_cast<std::int32_t>(mode.dmPelsHeight),
                       static_cast<std::int16_t>(mode.dmBitsPerPel & 0xFFFF)};
  }
  // The driver would not say: the primary screen's metrics, which are real pixels because
  // the program is DPI-aware. A figure that makes no sense marks nothing.
  HWND desktop = GetDesktopWindow();
  HDC context = GetDC(desktop);
  const int bits = context != nullptr ? GetDeviceCaps(context, BITSPIXEL) : 0;
  if (context != nullptr) ReleaseDC(desktop, context);
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  if (width <= 0 || height <= 0 || bits <= 0) return std::nullopt;
  return DisplayMode{width, height, static_cast<std::int16_t>(bits & 0xFFFF)};
}

}  // namespace platform::win32
