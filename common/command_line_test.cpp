#include "common/command_line.h"

#include <gtest/gtest.h>

namespace common {
namespace {

TEST(ArgumentsOf, SkipsTheProgramName) {
  const struct {
    std::u16string line;
    std::u16string arguments;
  } cases[] = {
      {u"", u""},
      {u"Scrubwright.exe", u""},
      {u"Scrubwright.exe ", u""},
      {u"Scrubwright.exe 300", u"300"},
      {u"Scrubwright.exe   300 ", u"300 "},
      {u"C:\\x\\Scrubwright.exe\t12", u"12"},
      {u"\"C:\\Program Files\\Tidewarden\\Scrubwright\\Scrubwright.exe\" 300", u"300"},
      {u"\"C:\\Program Files\\T\\Tidewarden.exe\"", u""},
      {u"\"C:\\a b\\x.exe\"abc 5", u"5"},
      {u"\"unterminated 300", u""},
      {u"\"\" 1", u"1"},
      {u"メモリー.exe 3 00", u"3 00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ArgumentsOf(c.line), c.arguments);
  }
}

}  // namespace
}  // namespace common
