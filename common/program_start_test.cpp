#include <gtest/gtest.h>

#include "platform/process_launcher.h"

namespace platform {
namespace {

TEST(QuotedProgramStart, PathIsTheApplicationAndQuotedOnTheCommandLine) {
  const struct {
    std::u16string path;
    std::u16string arguments;
    std::u16string commandLine;
  } cases[] = {
      {u"C:\\Program Files\\Tidewarden\\Scrubwright\\Scrubwright.exe", u"512",
       u"\"C:\\Program Files\\Tidewarden\\Scrubwright\\Scrubwright.exe\" 512"},
      {u"C:\\WINDOWS\\explorer.exe", u"", u"\"C:\\WINDOWS\\explorer.exe\""},
      {u"D:\\ツール\\Marrowgate.exe", u"", u"\"D:\\ツール\\Marrowgate.exe\""},
  };
  for (const auto& c : cases) {
    const ProgramStart start = QuotedProgramStart(c.path, c.arguments, WindowStyle::Normal);
    EXPECT_EQ(start.application, c.path);
    EXPECT_EQ(start.commandLine, c.commandLine);
  }
  EXPECT_EQ(QuotedProgramStart(u"C:\\a.exe", u"", WindowStyle::Minimized).style,
            WindowStyle::Minimized);
}

}  // namespace
}  // namespace platform
