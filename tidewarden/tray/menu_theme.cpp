#include "tidewarden/tray/menu_theme.h"

namespace tidewarden {

using platform::MenuMode;

void MenuThemeFollower::Start() {
  offered_ = theme_.WindowsBuild() >= kFirstBuildWithDarkMenus && theme_.Offered();
  if (!offered_ || theme_.HighContrastOn()) return;
  theme_.SetMode(MenuMode::FollowAppsSetting);
  mode_ = MenuMode::FollowAppsSetting;
  theme_.FlushMenuThemes();
}

void MenuThemeFollower::OnSettingChange(unsigned action, std::u16string_view area) {
  if (!offered_) return;
  // "ImmersiveColorSet": the light or dark setting changed.
  const bool colours = area == u"ImmersiveColorSet";
  if (!colours && action != kHighContrastChanged) return;
  const MenuMode wanted =
      theme_.HighContrastOn() ? MenuMode::SystemLook : MenuMode::FollowAppsSetting;
  if (wanted == mode_) {
    // The system look stays as it is; a followed setting is read again by the next menu.
    if (wanted == MenuMode::SystemLook || !colours) return;
  } else {
    theme_.SetMode(wanted);
    mode_ = wanted;
  }
  theme_.FlushMenuThemes();
}

}  // namespace tidewarden
