#include "platform/win32/menu_theme_win32.h"

#include "platform/win32/dll_search.h"

namespace platform::win32 {

MenuThemeWin32::MenuThemeWin32() : library_(LoadSystemLibrary(L"uxtheme.dll")) {
  setPreferredAppMode_ = ExportOf<SetPreferredAppModeCall>(library_, MAKEINTRESOURCEA(135));
  flushMenuThemes_ = ExportOf<FlushMenuThemesCall>(library_, MAKEINTRESOURCEA(136));
}

MenuThemeWin32::~MenuThemeWin32() {
  if (library_ != nullptr) FreeLibrary(library_);
}

unsigned MenuThemeWin32::WindowsBuild() {
  // The kernel's own answer: GetVersionEx is subject to the compatibility shims.
  struct VersionInfo {
    ULONG size, major, minor, build, platform;
    WCHAR servicePack[128];
  } info{};
  info.size = sizeof info;
  using RtlGetVersionCall = LONG(WINAPI*)(VersionInfo*);
  const auto rtlGetVersion =
      ExportOf<RtlGetVersionCall>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
  if (rtlGetVersion == nullptr || rtlGetVersion(&info) != 0) return 0;
  return info.build;
}

bool MenuThemeWin32::HighContrastOn() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) != FALSE &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void MenuThemeWin32::SetMode(MenuMode mode) {
  // The system's numbers for the modes: Default and AllowDark.
  if (setPreferredAppMode_ != nullptr) {
    setPreferredAppMode_(mode == MenuMode::FollowAppsSetting ? 1 : 0);
  }
}

void MenuThemeWin32::FlushMenuThemes() {
  if (flushMenuThemes_ != nullptr) flushMenuThemes_();
}

}  // namespace platform::win32
