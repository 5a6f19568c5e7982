#include "tidewarden/tray/status_lines.h"

#include <gtest/gtest.h>

#include "tidewarden/startup/status_text.h"

namespace tidewarden {
namespace {

platform::LocalTime At(int hour, int minute, int month = 12, int day = 6, int dayOfWeek = 0) {
  return {2026, month, day, dayOfWeek, hour, minute, 0};
}

TEST(BuildStatusText, TimeMemoryAndResources) {
  EXPECT_EQ(BuildStatusText(At(9, 5), 84, 72), u"時刻 ≪9:05≫  空きメモリー ≪84MB≫  リソース ≪72%≫");
  EXPECT_EQ(BuildStatusText(At(21, 30), 1210, std::nullopt),
            u"時刻 ≪21:30≫  空きメモリー ≪1210MB≫");
  EXPECT_EQ(BuildStatusText(At(0, 0), 0, std::nullopt), u"時刻 ≪0:00≫  空きメモリー ≪0MB≫");
  EXPECT_EQ(BuildStatusText(At(23, 59), 24105, std::nullopt),
            u"時刻 ≪23:59≫  空きメモリー ≪24105MB≫");
}

TEST(BuildStatusText, NoResourcesPieceWithoutTheMeter) {
  for (int mb : {0, 1, 512, 99999}) {
    EXPECT_EQ(BuildStatusText(At(12, 0), mb, std::nullopt).find(u"リソース"), std::u16string::npos);
  }
}

TEST(DateLine, JapaneseDateAndTime) {
  EXPECT_EQ(DateLine(At(4, 5, 12, 6, 0)), u"≪12月6日 日曜日 4時05分≫");
  EXPECT_EQ(DateLine(At(0, 0, 1, 1, 4)), u"≪1月1日 木曜日 0時00分≫");
  EXPECT_EQ(DateLine(At(23, 59, 10, 31, 6)), u"≪10月31日 土曜日 23時59分≫");
  const char16_t* names[] = {u"日曜日", u"月曜日", u"火曜日", u"水曜日",
                             u"木曜日", u"金曜日", u"土曜日"};
  for (int day = 0; day < 7; ++day) {
    EXPECT_NE(DateLine(At(1, 2, 3, 4, day)).find(names[day]), std::u16string::npos);
  }
}

TEST(MemoryLine, ShortAndLongForms) {
  EXPECT_EQ(MemoryLine(512, std::nullopt), u"空きメモリー 512MB");
  EXPECT_EQ(MemoryLine(84, 72), u"空きメモリー 84MB / リソース 72%");
}

TEST(CenteredMemoryCaption, CentresUnderTheDateLine) {
  const struct {
    size_t dateLength;
    size_t memoryLength;
    size_t blanks;
  } cases[] = {
      {17, 12, 4},                                         // 4.5 rounds to 4
      {17, 13, 4}, {18, 13, 4}, {18, 12, 5}, {17, 19, 1},  // exactly 2 longer: 1 blank each side
      {17, 20, 0},                                         // 3 or more longer: none
      {17, 40, 0},
  };
  for (const auto& c : cases) {
    const std::u16string date(c.dateLength, u'日');
    const std::u16string memory(c.memoryLength, u'm');
    const std::u16string padding(c.blanks, u' ');
    EXPECT_EQ(CenteredMemoryCaption(date, memory), u"≪" + padding + memory + padding + u"≫")
        << c.dateLength << " " << c.memoryLength;
  }
  // The worked example: the real date line and the short memory line for 512 MB.
  EXPECT_EQ(CenteredMemoryCaption(u"≪12月6日 日曜日 4時05分≫", u"空きメモリー 512MB"),
            u"≪    空きメモリー 512MB    ≫");
}

TEST(TooltipField, TextNulAndBlanksToSixtyFourCharacters) {
  const std::u16string field = TooltipField(u"時刻 ≪9:05≫");
  ASSERT_EQ(field.size(), 64u);
  EXPECT_EQ(field.substr(0, 9), u"時刻 ≪9:05≫");
  EXPECT_EQ(field[9], u'\0');
  EXPECT_EQ(field.substr(10), std::u16string(54, u' '));

  const std::u16string longText(70, u'x');
  EXPECT_EQ(TooltipField(longText), std::u16string(64, u'x'));
}

}  // namespace
}  // namespace tidewarden
