#pragma once

#include <windows.h>

#include "platform/menu_theme.h"

namespace platform::win32 {

// uxtheme's unnamed exports for the apps' light or dark mode (SetPreferredAppMode, ordinal
// 135, and FlushMenuThemes, ordinal 136, since Windows 10 1903), looked up at run time from
// System32: older systems and Wine have neither.
class MenuThemeWin32 : public MenuTheme {
 public:
  MenuThemeWin32();
  ~MenuThemeWin32() override;
  MenuThemeWin32(const MenuThemeWin32&) = delete;
  MenuThemeWin32& operator=(const MenuThemeWin32&) = delete;

  unsigned WindowsBuild() override;
  bool HighContrastOn() override;
  bool Offered() override { return setPreferredAppMode_ != nullptr && flushMenuThemes_ != nullptr; }
  void SetMode(MenuMode mode) override;
  void FlushMenuThemes() override;

 private:
  using SetPreferredAppModeCall = int(WINAPI*)(int);
  using FlushMenuThemesCall = void(WINAPI*)();

  HMODULE library_ = nullptr;
  SetPreferredAppModeCall setPreferredAppMode_ = nullptr;
  FlushMenuThemesCall flushMenuThemes_ = nullptr;
};

}  // namespace platform::win32
