#pragma once

namespace platform {

// How the system draws this program's popup menus.
enum class MenuMode {
  SystemLook,         // the classic light menus, and high contrast's own colours
  FollowAppsSetting,  // light or dark as the user's setting for apps says
};

// What the system offers for the look of popup menus.
class MenuTheme {
 public:
  virtual ~MenuTheme() = default;
  // The Windows build number; 0 when it cannot be read.
  virtual unsigned WindowsBuild() = 0;
  virtual bool HighContrastOn() = 0;
  // Whether the system has the calls below at all.
  virtual bool Offered() = 0;
  virtual void SetMode(MenuMode mode) = 0;
  // Makes the next popup menu take the mode and the setting now in force.
  virtual void FlushMenuThemes() = 0;
};

}  // namespace platform
