#include "platform/win32/ui_font.h"

#include "platform/win32/dll_search.h"

namespace platform::win32 {

bool MessageFontAt(int dpi, LOGFONTW& font) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  // Windows 10 on gives the metrics for any DPI; before it, those of the system's DPI.
  using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static const auto forDpi =
      ExportOf<ForDpi>(GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi");
  if (forDpi != nullptr &&
      forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))) {
    font = metrics.lfMessageFont;
    return true;
  }
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return false;
  font = metrics.lfMessageFont;
  HDC screen = GetDC(nullptr);
  const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (systemDpi > 0) font.lfHeight = MulDiv(font.lfHeight, dpi, systemDpi);
  return true;
}

HFONT CreateMessageFont(int dpi) {
  LOGFONTW font{};
  return MessageFontAt(dpi, font) ? CreateFontIndirectW(&font) : nullptr;
}

}  // namespace platform::win32
