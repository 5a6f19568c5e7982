#include "common/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace common {
namespace {

struct ReadCase {
  std::u16string text;
  double expected;
};

TEST(ReadLeadingNumber, ReadsLeniently) {
  const ReadCase cases[] = {
      {u"", 0.0},           {u"300", 300.0},
      {u"0", 0.0},          {u"abc", 0.0},
      {u"x12", 0.0},        {u"12abc", 12.0},
      {u"1.5", 1.5},        {u"2.5", 2.5},
      {u".5", 0.5},         {u"5.", 5.0},
      {u" 3 00", 300.0},    {u"\t4\t2 ", 42.0},
      {u"-5", -5.0},        {u"+7", 7.0},
      {u"- 5", -5.0},       {u"--5", 0.0},
      {u"-", 0.0},          {u".", 0.0},
      {u"1.2.3", 1.2},      {u"1e3", 1000.0},
      {u"1E+2x", 100.0},    {u"2e-1", 0.2},
      {u"3e", 3.0},         {u"3e+", 3.0},
      {u"3ex5", 3.0},       {u"99999999999", 99999999999.0},
      {u"１２", 0.0},        // full-width digits are not decimal digits here
      {u"12\u00a03", 12.0},  // a no-break space is not a blank
      {u"7\r\n8", 7.0},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(c.text), c.expected)
        << std::string(c.text.begin(), c.text.end());
  }
}

TEST(ReadLeadingNumber, SurvivesHugeInput) {
  EXPECT_EQ(ReadLeadingNumber(std::u16string(10000, u'9')),
            std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadLeadingNumber(std::u16string(10000, u'x')), 0.0);
  EXPECT_EQ(ReadLeadingNumber(std::u16string(10000, u' ') + u"8"), 8.0);
  EXPECT_EQ(ReadLeadingNumber(u"1e99999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadLeadingNumber(u"1e-99999"), 0.0);
}

struct RoundCase {
  double value;
  std::optional<std::int32_t> expected;
};

TEST(RoundHalfEvenToInt32, HalvesGoToEven) {
  const RoundCase cases[] = {
      {0.0, 0},
      {0.5, 0},
      {1.5, 2},
      {2.5, 2},
      {3.5, 4},
      {-0.5, 0},
      {-1.5, -2},
      {-2.5, -2},
      {2.4999, 2},
      {2.5001, 3},
      {2147483647.0, 2147483647},
      {2147483647.4, 2147483647},
      {2147483647.5, std::nullopt},
      {-2147483648.0, -2147483647 - 1},
      {-2147483648.5, -2147483647 - 1},
      {-2147483649.0, std::nullopt},
      {99999999999.0, std::nullopt},
      {std::numeric_limits<double>::infinity(), std::nullopt},
      {-std::numeric_limits<double>::infinity(), std::nullopt},
      {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoundHalfEvenToInt32(c.value), c.expected) << c.value;
  }
}

}  // namespace
}  // namespace common

namespace common {
namespace {

TEST(ReadLeadingNumberIfAny, TellsNoNumberFromZero) {
  EXPECT_EQ(ReadLeadingNumberIfAny(u"0"), 0.0);
  EXPECT_EQ(ReadLeadingNumberIfAny(u" 30"), 30.0);
  EXPECT_EQ(ReadLeadingNumberIfAny(u""), std::nullopt);
  EXPECT_EQ(ReadLeadingNumberIfAny(u"abc"), std::nullopt);
  EXPECT_EQ(ReadLeadingNumberIfAny(u"-"), std::nullopt);
  EXPECT_EQ(ReadLeadingNumberIfAny(u"."), std::nullopt);
}

}  // namespace
}  // namespace common
