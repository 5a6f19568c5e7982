#include "tidewarden/startup/start_up.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/text_lines.h"

namespace tidewarden {
namespace {

TEST(TrimAtNul, CutsAtTheFirstNul) {
  EXPECT_EQ(TrimAtNul(u"C:\\WINDOWS"), u"C:\\WINDOWS");
  EXPECT_EQ(TrimAtNul(std::u16string(u"C:\\WINDOWS\0\0\0junk", 17)), u"C:\\WINDOWS");
  EXPECT_EQ(TrimAtNul(std::u16string(u"\0abc", 4)), u"");
  EXPECT_EQ(TrimAtNul(u""), u"");
}

TEST(WithTrailingBackslash, AddsOnlyWhenMissing) {
  EXPECT_EQ(common::WithTrailingBackslash(u"C:\\Tools\\Tidewarden"), u"C:\\Tools\\Tidewarden\\");
  EXPECT_EQ(common::WithTrailingBackslash(u"C:\\"), u"C:\\");
  EXPECT_EQ(common::WithTrailingBackslash(u"\\\\server\\share\\"), u"\\\\server\\share\\");
  EXPECT_EQ(common::WithTrailingBackslash(u""), u"\\");
}

TEST(ReleaseRatioFromSetting, PercentBecomesARatio) {
  const struct {
    std::u16string value;
    double ratio;
  } cases[] = {
      {u"", 0.25}, {u"30", 0.30},  {u"25", 0.25},  {u"12.5", 0.125}, {u" 40", 0.40},
      {u"0", 0.0}, {u"abc", 0.25}, {u"30%", 0.30}, {u"-", 0.25},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(ReleaseRatioFromSetting(c.value), c.ratio)
        << std::string(c.value.begin(), c.value.end());
  }
}

TEST(CheckIntervalFromSetting, OnlyTwoExactValuesChangeThePeriod) {
  const struct {
    std::u16string value;
    std::uint32_t ms;
  } cases[] = {
      {u"10000", 10000}, {u"15000", 15000}, {u"20000", 6000}, {u"10000 ", 6000},
      {u" 10000", 6000}, {u"", 6000},       {u"6000", 6000},  {u"abc", 6000},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckIntervalFromSetting(c.value), c.ms);
}

TEST(HwndFileText, PrintedNumberForm) {
  EXPECT_EQ(HwndFileText(3342546), u" 3342546 \r\n");
  EXPECT_EQ(HwndFileText(0), u" 0 \r\n");
  EXPECT_EQ(HwndFileText(0x7FFFFFFF), u" 2147483647 \r\n");
  EXPECT_EQ(HwndFileText(0x80000000LL), u"-2147483648 \r\n");
  EXPECT_EQ(HwndFileText(0xFFFFFFFELL), u"-2 \r\n");
  // 64-bit handles carry their value in the low 32 bits (0xFFFFFFFF000100AA here).
  EXPECT_EQ(HwndFileText(-4294901590LL), u" 65706 \r\n");
}

}  // namespace
}  // namespace tidewarden
