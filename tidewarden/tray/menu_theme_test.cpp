#include "tidewarden/tray/menu_theme.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_menu_theme.h"

namespace tidewarden {
namespace {

using Calls = std::vector<std::string>;

TEST(MenuTheme, MenusFollowTheAppsSettingWhereOfferedAndNeverInHighContrast) {
  const Calls followed = {"FollowApps", "Flush"};
  // A setting change: its action, the area named, and whether high contrast is on after it.
  struct Change {
    unsigned action;
    std::u16string area;
    bool highContrast;
  };
  const Change colours{0, u"ImmersiveColorSet", false};
  const struct {
    const char* system;
    unsigned build;
    bool offered;
    bool highContrast;
    std::vector<Change> changes;
    Calls atStart;
    Calls afterChanges;
  } rows[] = {
      {"Windows 10 1903", 18362, true, false, {}, followed, {}},
      {"Windows 10 1809: the ordinals mean something else", 17763, true, false, {}, {}, {}},
      {"build unknown", 0, true, false, {colours}, {}, {}},
      {"calls missing (Wine, Windows 7 and 8)", 22631, false, false, {colours}, {}, {}},
      {"high contrast at start", 22631, true, true, {}, {}, {}},
      {"the light or dark setting changes", 19045, true, false, {colours}, followed, {"Flush"}},
      {"another setting changes",
       19045,
       true,
       false,
       {{0x002A, u"WindowMetrics", false}},
       followed,
       {}},
      {"high contrast switched on",
       19045,
       true,
       false,
       {{kHighContrastChanged, u"", true}},
       followed,
       {"SystemLook", "Flush"}},
      {"colours change under high contrast",
       19045,
       true,
       true,
       {{0, u"ImmersiveColorSet", true}},
       {},
       {}},
      {"high contrast switched off",
       19045,
       true,
       true,
       {{kHighContrastChanged, u"", false}},
       {},
       followed},
      {"high contrast on and off again",
       19045,
       true,
       false,
       {{kHighContrastChanged, u"", true}, {kHighContrastChanged, u"", false}},
       followed,
       {"SystemLook", "Flush", "FollowApps", "Flush"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.system);
    platform::fake::FakeMenuTheme theme;
    theme.build_ = row.build;
    theme.offered_ = row.offered;
    theme.highContrast_ = row.highContrast;
    MenuThemeFollower follower(theme);
    follower.Start();
    EXPECT_EQ(theme.calls_, row.atStart);
    theme.calls_.clear();
    for (const Change& change : row.changes) {
      theme.highContrast_ = change.highContrast;
      follower.OnSettingChange(change.action, change.area);
    }
    EXPECT_EQ(theme.calls_, row.afterChanges);
  }
}

}  // namespace
}  // namespace tidewarden
