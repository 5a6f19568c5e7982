#pragma once

#include <string>
#include <vector>

#include "platform/menu_theme.h"

namespace platform::fake {

// A system with a build, a high-contrast switch and the theme calls or not; records the calls
// made.
class FakeMenuTheme : public MenuTheme {
 public:
  unsigned WindowsBuild() override { return build_; }
  bool HighContrastOn() override { return highContrast_; }
  bool Offered() override { return offered_; }
  void SetMode(MenuMode mode) override {
    calls_.push_back(mode == MenuMode::FollowAppsSetting ? "FollowApps" : "SystemLook");
  }
  void FlushMenuThemes() override { calls_.push_back("Flush"); }

  unsigned build_ = 19045;  // Windows 10 22H2
  bool highContrast_ = false;
  bool offered_ = true;
  std::vector<std::string> calls_;
};

}  // namespace platform::fake
