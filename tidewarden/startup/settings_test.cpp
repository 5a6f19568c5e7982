#include "tidewarden/startup/settings.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_files.h"

namespace tidewarden {
namespace {

TEST(FindSettingValue, FirstLineContainingTheKeyWins) {
  const struct {
    std::u16string text;
    std::u16string key;
    std::u16string value;
  } cases[] = {
      {u"SEEK=15000\r\n", u"SEEK", u"15000"},
      {u"SEEK = 15000\r\n", u"SEEK", u" 15000"},  // untrimmed
      {u"XSEEKX=1\r\nSEEK=10000\r\n", u"SEEK", u"1"},
      {u"SEEK\r\n", u"SEEK", u"SEEK"},  // no "=": the whole line
      {u"seek=10000\r\n", u"SEEK", u""},
      {u"A=B=C\r\n", u"A", u"B=C"},
      {u"[TOOL]\r\nVOLUME=LOW\r\nCLICK=VOLUME\r\n", u"VOLUME", u"LOW"},
      {u"[TOOL]\r\nVOLUME=LOW\r\nCLICK=VOLUME\r\n", u"CLICK", u"VOLUME"},
      {u"[TOOL]\r\nCLICK=VOLUME\r\nVOLUME=LOW\r\n", u"VOLUME", u"VOLUME"},
      {u"CREANSIZE=30", u"CREANSIZE", u"30"},            // last line without a line end
      {u"SEEK=1\rCREANSIZE=40\r", u"CREANSIZE", u"40"},  // a lone CR ends a line
      {u"SEEK=1\nCREANSIZE=40\r\n", u"CREANSIZE", u"1\nCREANSIZE=40"},
      {u"SEEK=1\nCREANSIZE=40\r\n", u"SEEK", u"1\nCREANSIZE=40"},  // a lone LF does not
      {u"A=1\r\n\nB=2\r\n", u"B", u"2"},
      {u"\r\n\r\nB=2", u"B", u"2"},
      {u"", u"SEEK", u""},
      {u"\r\n", u"SEEK", u""},
      {u"OTHER=1\r\n", u"SEEK", u""},
      {u"\uFEFFCREANSIZE=30\r\n", u"CREANSIZE", u"30"},          // byte-order mark before the key
      {u"\u00EF\u00BB\u00BFSEEK=10000\r\n", u"SEEK", u"10000"},  // a BOM decoded as ANSI
      {u"SEEK=10000 ", u"SEEK", u"10000 "},
      {u"日本語=値\r\nSEEK=あ\r\n", u"SEEK", u"あ"},
      {std::u16string(u"SE\0EK=1\r\nSEEK=2", 15), u"SEEK", u"2"},  // NUL inside a line
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindSettingValue(c.text, c.key), c.value)
        << std::string(c.text.begin(), c.text.end());
  }
}

TEST(FindSettingValue, HugeLinesAreScannedWhole) {
  std::u16string text(50u * 1024 * 1024, u'x');
  text += u"\r\nSEEK=15000\r\n";
  EXPECT_EQ(FindSettingValue(text, u"SEEK"), u"15000");
  EXPECT_EQ(FindSettingValue(text, u"CREANSIZE"), u"");
}

struct SettingsFilesTest : ::testing::Test {
  platform::fake::CallLog log;
  platform::fake::FakeFiles files{log};
  std::u16string appPath = u"C:\\Tools\\Tidewarden\\";
  SettingsFiles settings{files, appPath};
  const std::u16string main = appPath + u"Tidewarden.ini";
  const std::u16string tool = appPath + u"Marrowgate.ini";
};

TEST_F(SettingsFilesTest, ReadsEachFileFromTheProgramFolder) {
  files.files_[main] = u"SEEK=10000\r\n";
  files.files_[tool] = u"[TOOL]\r\nVOLUME=MAX\r\nCLICK=SCREENSIZE\r\n";
  EXPECT_EQ(settings.GetMainSetting(u"SEEK"), u"10000");
  EXPECT_EQ(settings.GetMainSetting(u"VOLUME"), u"");
  EXPECT_EQ(settings.GetMarrowgateSetting(u"CLICK"), u"SCREENSIZE");
  EXPECT_EQ(settings.GetMarrowgateSetting(u"SEEK"), u"");
}

TEST_F(SettingsFilesTest, MissingHiddenOrUnreadableFilesGiveEmptyValues) {
  EXPECT_EQ(settings.GetMainSetting(u"SEEK"), u"");
  EXPECT_EQ(files.reads_, 0);  // a missing file is not even opened

  files.files_[main] = u"SEEK=10000\r\n";
  files.hidden_.insert(main);
  EXPECT_EQ(settings.GetMainSetting(u"SEEK"), u"");

  files.hidden_.clear();
  files.unreadable_.insert(main);
  EXPECT_EQ(settings.GetMainSetting(u"SEEK"), u"");
  EXPECT_TRUE(files.files_.count(appPath + u"Marrowgate.ini") == 0);  // nothing is created
}

TEST_F(SettingsFilesTest, EveryCallReadsTheFileAfresh) {
  files.files_[tool] = u"CLICK=VOLUME\r\n";
  EXPECT_EQ(settings.GetMarrowgateSetting(u"CLICK"), u"VOLUME");
  files.files_[tool] = u"CLICK=SCREENSIZE\r\n";
  EXPECT_EQ(settings.GetMarrowgateSetting(u"CLICK"), u"SCREENSIZE");
  EXPECT_EQ(files.reads_, 2);
}

}  // namespace
}  // namespace tidewarden
