#pragma once

#include <string_view>

#include "platform/menu_theme.h"

namespace tidewarden {

// The first build whose popup menus can follow the apps' light or dark setting (Windows 10
// 1903); before it the same calls exist with another meaning.
inline constexpr unsigned kFirstBuildWithDarkMenus = 18362;
// WM_SETTINGCHANGE's action when high contrast is switched on or off (SPI_SETHIGHCONTRAST).
inline constexpr unsigned kHighContrastChanged = 0x0043;

// Lets the popup menus follow the user's light or dark setting where Windows offers it, and
// leaves them in the system's look while high contrast is on: high contrast has colours of its
// own that no dark menu may override.
class MenuThemeFollower {
 public:
  explicit MenuThemeFollower(platform::MenuTheme& theme) : theme_(theme) {}

  void Start();
  // A system setting changed (WM_SETTINGCHANGE): its action, and the area named ("" if none).
  void OnSettingChange(unsigned action, std::u16string_view area);

 private:
  platform::MenuTheme& theme_;
  bool offered_ = false;
  platform::MenuMode mode_ = platform::MenuMode::SystemLook;
};

}  // namespace tidewarden
