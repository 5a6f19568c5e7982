#include "tidewarden/display/display_modes.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/fake/fake_display.h"
#include "platform/fake/fake_message_boxes.h"
#include "tidewarden/tray/menu_refresh.h"

namespace tidewarden {
namespace {

using platform::DisplayMode;

TEST(ModeCaption, WidthHeightDepth) {
  EXPECT_EQ(ModeCaption(1024, 768, 32), u"1024x768 32Bit");
  EXPECT_EQ(ModeCaption(800, 600, 16), u"800x600 16Bit");
}

// The submenu as a click shows it: written from the modes' state.
void Build(DisplayModes& modes, MenuTree& menu) {
  WriteResolutionItems(menu, modes.SlotModes(), modes.ModeInUse());
}

struct DisplayModesTest : ::testing::Test {
  platform::fake::CallLog log;
  platform::fake::FakeDisplay display;
  platform::fake::FakeMessageBoxes boxes{log};
  MenuTree menu;
  DisplayModes modes{display, boxes};

  std::vector<std::u16string> Shown() const {
    std::vector<std::u16string> captions;
    for (const auto& e : menu.EntriesUnder({Item::Resolution})) {
      if (e.caption != u"メニューを閉じる" && !e.separator) captions.push_back(e.caption);
    }
    return captions;
  }
  static std::vector<int> Checked(const MenuTree& tree) {
    std::vector<int> slots;
    for (int i = 0; i < kResolutionItems; ++i) {
      if (tree[{Item::DisplayMode, i}].checked) slots.push_back(i);
    }
    return slots;
  }
  std::vector<int> Checked() const { return Checked(menu); }
};

TEST_F(DisplayModesTest, EveryListingFillsASlotAndTheModeInUseIsChecked) {
  display.modes_ = {{800, 600, 16},  {800, 600, 16},  {800, 600, 16},
                    {1024, 768, 32}, {1024, 768, 32}, {640, 480, 8}};
  display.current_ = {1024, 768, 32};
  Build(modes, menu);
  EXPECT_EQ(Shown(),
            (std::vector<std::u16string>{u"800x600 16Bit", u"800x600 16Bit", u"800x600 16Bit",
                                         u"1024x768 32Bit", u"1024x768 32Bit"}));
  EXPECT_EQ(Checked(), (std::vector<int>{3, 4}));
  EXPECT_EQ(display.tests_, 2);  // one test per distinct mode that passes the filter

  display.current_ = {800, 600, 16};  // switched, and the notice has not come (yet)
  Build(modes, menu);
  EXPECT_EQ(Checked(), (std::vector<int>{0, 1, 2}));  // the mark moves with the display
  EXPECT_EQ(display.tests_, 2);
}

TEST_F(DisplayModesTest, FilterBySizeAndDepth) {
  display.modes_ = {{799, 600, 32},  {800, 599, 32}, {800, 600, 32},  {1024, 768, 15},
                    {1024, 768, 24}, {1024, 768, 8}, {1280, 1024, 16}};
  Build(modes, menu);
  EXPECT_EQ(Shown(),
            (std::vector<std::u16string>{u"800x600 32Bit", u"1024x768 24Bit", u"1280x1024 16Bit"}));
}

TEST_F(DisplayModesTest, OnlyModesThatPassTheTestAreOffered) {
  display.modes_ = {{800, 600, 32}, {1024, 768, 32}, {1280, 1024, 32}};
  display.testAnswers_[{800, 600, 32}] = platform::kDispChangeRestart;
  display.testAnswers_[{1280, 1024, 32}] = -2;
  Build(modes, menu);
  EXPECT_EQ(Shown(), (std::vector<std::u16string>{u"1024x768 32Bit"}));
  EXPECT_EQ(display.tests_, 3);

  // The answers hold until the display changes: the next refresh asks the driver nothing.
  display.testAnswers_.clear();
  Build(modes, menu);
  EXPECT_EQ(Shown(), (std::vector<std::u16string>{u"1024x768 32Bit"}));
  EXPECT_EQ(display.tests_, 3);

  modes.OnDisplayChanged();
  Build(modes, menu);
  EXPECT_EQ(Shown(),
            (std::vector<std::u16string>{u"800x600 32Bit", u"1024x768 32Bit", u"1280x1024 32Bit"}));
  EXPECT_EQ(display.tests_, 6);
}

TEST_F(DisplayModesTest, ThirtySlotsAtMost) {
  for (int i = 0; i < 40; ++i) display.modes_.push_back({800 + i, 600, 32});
  Build(modes, menu);
  const auto shown = Shown();
  ASSERT_EQ(shown.size(), 30u);
  EXPECT_EQ(shown.back(), u"829x600 32Bit");
}

TEST_F(DisplayModesTest, NoModeKeepsNone) {
  display.modes_ = {{640, 480, 32}};
  Build(modes, menu);
  EXPECT_EQ(Shown(), (std::vector<std::u16string>{u"(なし)"}));
  display.modes_.clear();
  Build(modes, menu);
  EXPECT_EQ(Shown(), (std::vector<std::u16string>{u"(なし)"}));

  // An enumeration that found nothing may have failed: it is asked again, notice or not.
  modes.OnDisplayChanged();
  Build(modes, menu);
  display.modes_ = {{1024, 768, 32}};
  Build(modes, menu);
  EXPECT_EQ(Shown(), (std::vector<std::u16string>{u"1024x768 32Bit"}));
}

// After undocking or a new primary display only the modes offered now may be chosen: the old
// display's modes would fail with the error box.
TEST_F(DisplayModesTest, SlotsFollowTheModesOfferedNow) {
  const DisplayMode small{1024, 768, 32}, large{1280, 1024, 32}, wide{1920, 1080, 32};
  const struct {
    const char* why;
    std::vector<DisplayMode> listed;
    std::vector<std::u16string> shown;
    std::vector<int> checked;  // 1024x768 in use
  } steps[] = {
      {"docked",
       {{800, 600, 32}, small, large, wide},
       {u"800x600 32Bit", u"1024x768 32Bit", u"1280x1024 32Bit", u"1920x1080 32Bit"},
       {1}},
      {"undocked", {small}, {u"1024x768 32Bit"}, {0}},
      {"nothing passes", {{640, 480, 32}}, {u"(なし)"}, {}},
      {"docked again", {small, wide}, {u"1024x768 32Bit", u"1920x1080 32Bit"}, {0}},
  };
  display.current_ = small;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.why);
    display.modes_ = step.listed;
    modes.OnDisplayChanged();
    Build(modes, menu);
    EXPECT_EQ(Shown(), step.shown);
    EXPECT_EQ(Checked(), step.checked);
  }
  // A slot that shows nothing names nothing: choosing it switches nothing and tells nothing.
  modes.OnDisplayModeChosen(3);
  modes.OnDisplayModeChosen(2);
  EXPECT_EQ(display.current_, small);
  EXPECT_TRUE(boxes.shown_.empty());
}

// The mark follows the mode the display reports, in real pixels: on a scaled screen the
// logical size (3840x2160 at 200 % looks like 1920x1080) names another entry of the list.
TEST_F(DisplayModesTest, TheModeInUseIsCheckedAndChoosingItChangesNothing) {
  const struct {
    const char* name;
    std::optional<DisplayMode> current;
    std::vector<int> checked;
  } cases[] = {
      {"100 %", DisplayMode{1920, 1080, 32}, {1}},
      {"125 %", DisplayMode{2400, 1350, 32}, {2}},
      {"150 %", DisplayMode{2880, 1620, 32}, {3}},
      {"175 %", DisplayMode{3360, 1890, 32}, {4}},
      {"200 %", DisplayMode{3840, 2160, 32}, {5, 7}},
      {"225 %", DisplayMode{4320, 2430, 32}, {6}},
      {"same size, other depth", DisplayMode{3840, 2160, 16}, {8}},
      {"a mode not on offer", DisplayMode{1280, 1024, 32}, {}},
      {"the display does not tell", std::nullopt, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MenuTree tree;
    platform::fake::FakeDisplay driver;
    DisplayModes subject{driver, boxes};
    driver.modes_ = {{1024, 768, 32},  {1920, 1080, 32}, {2400, 1350, 32},
                     {2880, 1620, 32}, {3360, 1890, 32}, {3840, 2160, 32},
                     {4320, 2430, 32}, {3840, 2160, 32}, {3840, 2160, 16}};
    driver.currentReadable_ = c.current.has_value();
    driver.current_ = c.current.value_or(DisplayMode{0, 0, 0});
    Build(subject, tree);
    std::vector<int> checked;
    for (int slot = 0; slot < kResolutionItems; ++slot) {
      if (tree[{Item::DisplayMode, slot}].checked) checked.push_back(slot);
    }
    EXPECT_EQ(checked, c.checked);
    // Choosing the entry of the mode in use must not switch the display, not even to itself.
    driver.calls_.clear();
    for (int slot : checked) subject.OnDisplayModeChosen(slot);
    EXPECT_TRUE(driver.calls_.empty());
  }
  EXPECT_TRUE(boxes.shown_.empty());
}

TEST_F(DisplayModesTest, ChoosingAModeSwitchesAndMovesTheCheck) {
  display.modes_ = {{800, 600, 16}, {1024, 768, 32}, {800, 600, 16}};
  display.current_ = {800, 600, 16};
  Build(modes, menu);
  ASSERT_EQ(Checked(), (std::vector<int>{0, 2}));
  display.calls_.clear();
  modes.OnDisplayModeChosen(1);
  ASSERT_EQ(display.calls_.size(), 2u);
  EXPECT_EQ(display.calls_[0].flags, platform::kCdsTest);
  EXPECT_EQ(display.calls_[1].flags, platform::kCdsUpdateRegistry);
  EXPECT_EQ(display.calls_[1].mode.width, 1024);
  EXPECT_EQ(display.calls_[1].mode.bits, 32);
  Build(modes, menu);
  EXPECT_EQ(Checked(), (std::vector<int>{1}));
  EXPECT_TRUE(boxes.shown_.empty());
}

// A game or the system's settings changed the mode after the menu was built: the entry that
// was checked names a mode no longer in use, and choosing it switches back.
TEST_F(DisplayModesTest, ChoosingSwitchesUnlessTheModeIsInUseNow) {
  const struct {
    const char* name;
    std::optional<DisplayMode> nowInUse;  // when chosen; empty: the display does not tell
    int chosen;
    bool switches;
  } cases[] = {
      {"the checked mode, still in use", DisplayMode{1024, 768, 32}, 1, false},
      {"the checked mode, changed from outside", DisplayMode{800, 600, 32}, 1, true},
      {"the mode in use, unchecked when built", DisplayMode{800, 600, 32}, 0, false},
      {"another mode", DisplayMode{1024, 768, 32}, 0, true},
      {"the display does not tell", std::nullopt, 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MenuTree tree;
    platform::fake::FakeDisplay driver;
    DisplayModes subject{driver, boxes};
    driver.modes_ = {{800, 600, 32}, {1024, 768, 32}};
    driver.current_ = {1024, 768, 32};
    Build(subject, tree);
    driver.currentReadable_ = c.nowInUse.has_value();
    driver.current_ = c.nowInUse.value_or(DisplayMode{});
    driver.calls_.clear();
    subject.OnDisplayModeChosen(c.chosen);
    EXPECT_EQ(driver.calls_.size(), c.switches ? 2u : 0u);
    if (c.switches && c.nowInUse) {  // the mark follows the display, once it can tell
      Build(subject, tree);
      EXPECT_EQ(Checked(tree), (std::vector<int>{c.chosen}));
    }
  }
  DisplayModes none{display, boxes};
  display.calls_.clear();
  none.OnDisplayModeChosen(0);  // "(なし)"
  EXPECT_TRUE(display.calls_.empty());
  EXPECT_TRUE(boxes.shown_.empty());
}

TEST_F(DisplayModesTest, RestartAndFailureAreReported) {
  const struct {
    std::int32_t test;
    std::int32_t change;
    const char16_t* message;
    size_t calls;
  } cases[] = {
      {platform::kDispChangeRestart, platform::kDispChangeRestart,
       u"このディスプレイ設定を有効にするには、再起動が必要です。", 2},
      {-2, 0, u"解像度変更に失敗しました。", 1},  // the test rejects it
      {0, -1, u"解像度変更に失敗しました。", 2},  // the real change fails
      {0, -5, u"解像度変更に失敗しました。", 2},  // registry not written
  };
  for (const auto& c : cases) {
    MenuTree tree;
    platform::fake::FakeDisplay driver;
    platform::fake::FakeMessageBoxes shown{log};
    DisplayModes subject{driver, shown};
    driver.modes_ = {{800, 600, 32}, {1024, 768, 32}};
    driver.current_ = {800, 600, 32};
    Build(subject, tree);
    driver.calls_.clear();
    driver.testAnswers_[{1024, 768, 32}] = c.test;
    driver.changeAnswer_ = c.change;
    subject.OnDisplayModeChosen(1);
    EXPECT_EQ(driver.calls_.size(), c.calls);
    ASSERT_EQ(shown.shown_.size(), 1u);
    EXPECT_EQ(shown.shown_[0].title, u"Tidewarden ");
    EXPECT_EQ(shown.shown_[0].text, c.message);
    Build(subject, tree);
    EXPECT_TRUE((tree[{Item::DisplayMode, 0}].checked));  // the marks do not move
    EXPECT_FALSE((tree[{Item::DisplayMode, 1}].checked));
  }
}

}  // namespace
}  // namespace tidewarden
