#include "tidewarden/display/display_modes.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/fake/fake_display.h"
#include "platform/fake/fake_message_boxes.h"

namespace tidewarden {
namespace {

using platform::DisplayMode;

TEST(ModeCaption, WidthHeightDepth) {
  EXPECT_EQ(ModeCaption(1024, 768, 32), u"1024x768 32Bit");
  EXPECT_EQ(ModeCaption(800, 600, 16), u"800x600 16Bit");
}

TEST(ModeOfCaption, ReadsTheModeBack) {
  const struct {
    std::u16string caption;
    std::optional<std::tuple<int, int, int>> mode;
  } cases[] = {
      {u"1280x1024 32Bit", std::make_tuple(1280, 1024, 32)},
      {u"800x600 16Bit", std::make_tuple(800, 600, 16)},
      {u"(なし)", std::nullopt},
      {u"", std::nullopt},
      {u"1024x768", std::nullopt},
      {u"x 1", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto mode = ModeOfCaption(c.caption);
    ASSERT_EQ(mode.has_value(), c.mode.has_value()) << std::string(c.caption.begin(), c.caption.end());
    if (mode) {
      EXPECT_EQ(std::make_tuple(mode->width, mode->height, static_cast<int>(mode->bits)), *c.mode);
    }
  }
}

TEST(QuotientText, WholeAndFractional) {
  EXPECT_EQ(QuotientText(1024.0), u"1024");
  EXPECT_EQ(QuotientText(1023.75), u"1023.75");
  EXPECT_EQ(QuotientText(0.0), u"0");
}

struct DisplayModesTest : ::testing::Test {
  platform::fake::CallLog log;
  platform::fake::FakeDisplay display;
  platform::fake::FakeMessageBoxes boxes{log};
  MenuTree menu;
  ProgramState state;
  DisplayModes modes{display, boxes, menu, state};

  std::vector<std::u16string> Shown() const {
    std::vector<std::u16string> captions;
    for (const auto& e : menu.EntriesUnder({Item::kaizoudo})) {
      if (e.caption != u"メニューを閉じる" && !e.separator) captions.push_back(e.caption);
    }
    return captions;
  }
  std::vector<int> Checked() const {
    std::vector<int> slots;
    for (int i = 0; i < kResolutionItems; ++i) {
      if (menu[{Item::FormMenu11, i}].checked) slots.push_back(i);
    }
    return slots;
  }
};

TEST_F(DisplayModesTest, EveryListingFillsASlotAndTheModeInUseIsChecked) {
  display.modes_ = {{800, 600, 16}, {800, 600, 16}, {800, 600, 16}, {1024, 768, 32},
                    {1024, 768, 32}, {640, 480, 8}};
  display.current_ = {1024, 768, 32};
  modes.BuildResolutionMenu(96, 96);
  EXPECT_EQ(Shown(), (std::vector<std::u16string>{u"800x600 16Bit", u"800x600 16Bit",
                                                   u"800x600 16Bit", u"1024x768 32Bit",
                                                   u"1024x768 32Bit"}));
  EXPECT_EQ(Checked(), (std::vector<int>{3, 4}));
  EXPECT_EQ(display.tests_, 2);  // one test per distinct mode that passes the filter
}

TEST_F(DisplayModesTest, FilterBySizeAndDepth) {
  display.modes_ = {{799, 600, 32}, {800, 599, 32}, {800, 600, 32}, {1024, 768, 15},
                    {1024, 768, 24}, {1024, 768, 8}, {1280, 1024, 16}};
  modes.BuildResolutionMenu(96, 96);
  EXPECT_EQ(Shown(), (std::vector<std::u16string>{u"800x600 32Bit", u"1024x768 24Bit",
                                                   u"1280x1024 16Bit"}));
}

TEST_F(DisplayModesTest, OnlyModesThatPassTheTestAreOffered) {
  display.modes_ = {{800, 600, 32}, {1024, 768, 32}, {1280, 1024, 32}};
  display.testAnswers_[{800, 600, 32}] = platform::kDispChangeRestart;
  display.testAnswers_[{1280, 1024, 32}] = -2;
  modes.BuildResolutionMenu(96, 96);
  EXPECT_EQ(Shown(), (std::vector<std::u16string>{u"1024x768 32Bit"}));
}

TEST_F(DisplayModesTest, ThirtySlotsAtMost) {
  for (int i = 0; i < 40; ++i) display.modes_.push_back({800 + i, 600, 32});
  modes.BuildResolutionMenu(96, 96);
  const auto shown = Shown();
  ASSERT_EQ(shown.size(), 30u);
  EXPECT_EQ(shown.back(), u"829x600 32Bit");
}

TEST_F(DisplayModesTest, NoModeKeepsNone) {
  display.modes_ = {{640, 480, 32}};
  modes.BuildResolutionMenu(96, 96);
  EXPECT_EQ(Shown(), (std::vector<std::u16string>{u"(なし)"}));
  display.modes_.clear();
  modes.BuildResolutionMenu(96, 96);
  EXPECT_EQ(Shown(), (std::vector<std::u16string>{u"(なし)"}));
}

TEST_F(DisplayModesTest, SurplusSlotsAndOldChecksStay) {
  display.modes_ = {{800, 600, 32}, {1024, 768, 32}, {1280, 1024, 32}};
  display.current_ = {1280, 1024, 32};
  modes.BuildResolutionMenu(96, 96);
  display.modes_ = {{1024, 768, 32}};
  display.current_ = {1024, 768, 32};  // changed outside the program
  modes.BuildResolutionMenu(96, 96);
  EXPECT_EQ(Shown(), (std::vector<std::u16string>{u"1024x768 32Bit", u"1024x768 32Bit",
                                                   u"1280x1024 32Bit"}));
  EXPECT_EQ(Checked(), (std::vector<int>{0, 2}));
}

TEST_F(DisplayModesTest, UnevenTwipsFactorChecksNothing) {
  display.modes_ = {{1024, 768, 32}};
  display.current_ = {1024, 768, 32};
  state.ScreenTwipsX = 8;  // 192 dpi: 7.5 twips per pixel, stored rounded
  state.ScreenTwipsY = 8;
  EXPECT_EQ(modes.CurrentModeCaption(192, 192), u"960x720 32Bit");
  state.ScreenTwipsX = 14;  // 1440/100 = 14.4 stored as 14
  state.ScreenTwipsY = 14;
  EXPECT_EQ(modes.CurrentModeCaption(100, 100), u"1053.25714285714x789.942857142857 32Bit");
  modes.BuildResolutionMenu(100, 100);
  EXPECT_TRUE(Checked().empty());
}

TEST_F(DisplayModesTest, ChoosingAModeSwitchesAndMovesTheCheck) {
  display.modes_ = {{800, 600, 16}, {1024, 768, 32}, {800, 600, 16}};
  display.current_ = {800, 600, 16};
  modes.BuildResolutionMenu(96, 96);
  ASSERT_EQ(Checked(), (std::vector<int>{0, 2}));
  display.calls_.clear();
  modes.FormMenu11_Click(1);
  ASSERT_EQ(display.calls_.size(), 2u);
  EXPECT_EQ(display.calls_[0].flags, platform::kCdsTest);
  EXPECT_EQ(display.calls_[1].flags, platform::kCdsUpdateRegistry);
  EXPECT_EQ(display.calls_[1].mode.width, 1024);
  EXPECT_EQ(display.calls_[1].mode.bits, 32);
  EXPECT_EQ(Checked(), (std::vector<int>{1}));
  EXPECT_TRUE(boxes.shown_.empty());
}

TEST_F(DisplayModesTest, CheckedEntryOrNoneDoNothing) {
  display.modes_ = {{1024, 768, 32}};
  modes.BuildResolutionMenu(96, 96);
  display.calls_.clear();
  modes.FormMenu11_Click(0);  // already checked, even if the display moved on
  MenuTree fresh;
  DisplayModes none{display, boxes, fresh, state};
  none.FormMenu11_Click(0);  // "(なし)"
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
      {-2, 0, u"解像度変更に失敗しました。", 1},               // the test rejects it
      {0, -1, u"解像度変更に失敗しました。", 2},               // the real change fails
      {0, -5, u"解像度変更に失敗しました。", 2},               // registry not written
  };
  for (const auto& c : cases) {
    MenuTree tree;
    platform::fake::FakeDisplay driver;
    platform::fake::FakeMessageBoxes shown{log};
    DisplayModes subject{driver, shown, tree, state};
    driver.modes_ = {{800, 600, 32}, {1024, 768, 32}};
    driver.current_ = {800, 600, 32};
    subject.BuildResolutionMenu(96, 96);
    driver.calls_.clear();
    driver.testAnswers_[{1024, 768, 32}] = c.test;
    driver.changeAnswer_ = c.change;
    subject.FormMenu11_Click(1);
    EXPECT_EQ(driver.calls_.size(), c.calls);
    ASSERT_EQ(shown.shown_.size(), 1u);
    EXPECT_EQ(shown.shown_[0].title, u"Tidewarden ");
    EXPECT_EQ(shown.shown_[0].text, c.message);
    EXPECT_TRUE((tree[{Item::FormMenu11, 0}].checked));  // the marks do not move
    EXPECT_FALSE((tree[{Item::FormMenu11, 1}].checked));
  }
}

}  // namespace
}  // namespace tidewarden
