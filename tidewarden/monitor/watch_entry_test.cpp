#include "tidewarden/monitor/watch_entry.h"

#include <gtest/gtest.h>

namespace tidewarden {
namespace {

using platform::PriorityClass;

platform::ProcessRecord Process(std::u16string path, std::int32_t base, std::uint32_t threads = 3,
                                std::uint32_t id = 1234) {
  return {id, threads, base, std::move(path)};
}

TEST(WatchEntry, NewEntriesCarryTheWordFilledToTen) {
  const std::u16string entry = NewWatchEntry(Process(u"C:\\TOOLS\\EDIT.EXE", 13));
  EXPECT_EQ(entry.size(), 71u);
  EXPECT_EQ(entry, u"C:\\TOOLS\\EDIT.EXE" + std::u16string(43, u' ') + u" HIGH      ");
  // An unknown base priority leaves the word field without letters.
  EXPECT_EQ(NewWatchEntry(Process(u"A.EXE", 2)),
            FixedWidth(u"A.EXE", 60) + u" " + std::u16string(10, u' '));
  EXPECT_EQ(RewrittenWatchEntry(PathField(u"C:\\A.EXE"), 2),
            FixedWidth(u"C:\\A.EXE", 60) + u" NORMAL");
}

TEST(WatchEntry, PathFieldIsSixtyCharactersUpToTheNul) {
  const std::u16string longPath = u"C:\\" + std::u16string(80, u'あ') + u".EXE";
  EXPECT_EQ(PathField(longPath), longPath.substr(0, 60));
  EXPECT_EQ(PathField(std::u16string(u"C:\\X.EXE\0junk", 13)), FixedWidth(u"C:\\X.EXE", 60));
  // Two programs whose paths share the first 60 characters are one program.
  const std::u16string a = std::u16string(60, u'x') + u"\\A.EXE";
  const std::u16string b = std::u16string(60, u'x') + u"\\B.EXE";
  EXPECT_TRUE(SameProgram(NewWatchEntry(Process(a, 8)), PathField(b)));
  EXPECT_FALSE(SameProgram(NewWatchEntry(Process(u"c:\\x.exe", 8)), PathField(u"C:\\X.EXE")));
}

TEST(WatchEntry, PatternOrderDecidesThePriority) {
  const struct {
    std::u16string entry;
    std::optional<PriorityClass> priority;
  } cases[] = {
      {FixedWidth(u"C:\\A.EXE", 60) + u" REALTIME  ", PriorityClass::Realtime},
      {FixedWidth(u"C:\\A.EXE", 60) + u" HIGH", PriorityClass::High},
      {FixedWidth(u"C:\\A.EXE", 60) + u" NORMAL    ", PriorityClass::Normal},
      {FixedWidth(u"C:\\A.EXE", 60) + u" IDOL", PriorityClass::Idle},
      {FixedWidth(u"C:\\A.EXE", 60) + u" IDLE", std::nullopt},  // the word is IDOL
      {FixedWidth(u"C:\\A.EXE", 60) + u" high", std::nullopt},
      {FixedWidth(u"C:\\A.EXE", 60) + u"           ", std::nullopt},
      // The words count only after the path field, whatever the program is called.
      {FixedWidth(u"C:\\HIGHLAND\\A.EXE", 60) + u" NORMAL", PriorityClass::Normal},
      {FixedWidth(u"C:\\NORMALS\\A.EXE", 60) + u" REALTIME", PriorityClass::Realtime},
      {FixedWidth(u"C:\\REALTIME\\A.EXE", 60) + u" IDOL", PriorityClass::Idle},
      {FixedWidth(u"C:\\HIGH.EXE", 60) + u" ", std::nullopt},
      {FixedWidth(u"C:\\HIGH.EXE", 60), std::nullopt},
      {u"C:\\A.EXE HIGH", std::nullopt},  // shorter than a path field: matches no program
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PriorityOfEntry(c.entry), c.priority) << std::string(c.entry.begin(), c.entry.end());
  }
}

TEST(WatchEntry, WordsOfBasePriorities) {
  EXPECT_EQ(WordOfBasePriority(24), u"REALTIME");
  EXPECT_EQ(WordOfBasePriority(13), u"HIGH");
  EXPECT_EQ(WordOfBasePriority(8), u"NORMAL");
  EXPECT_EQ(WordOfBasePriority(4), u"IDOL");
  for (int other : {0, 2, 6, 10, 15, 31}) EXPECT_EQ(WordOfBasePriority(other), u"");
}

TEST(RunningRow, FixedFieldsAndHexId) {
  EXPECT_EQ(RunningRow(Process(u"C:\\TOOLS\\EDIT.EXE", 8, 3, 1234)),
            u"EDIT.EXE" + std::u16string(24, u' ') + u" NORMAL     3" + std::u16string(10, u' ') +
                u" 4D2");
  const std::u16string row =
      RunningRow(Process(u"notepad.exe", 2, 12345678901u % 4294967296u, 0xABCDEF01u));
  EXPECT_EQ(row.substr(0, 33), FixedWidth(u"notepad.exe", 32) + u" ");
  EXPECT_EQ(row.substr(33, 11), std::u16string(10, u' ') + u" ");  // no word for Wine's 2
  EXPECT_EQ(row.substr(row.size() - 8), u"ABCDEF01");
  const std::u16string longName = std::u16string(40, u'名') + u".exe";
  EXPECT_EQ(RunningRow(Process(u"C:\\" + longName, 4)).substr(0, 33),
            std::u16string(32, u'名') + u" ");
}

TEST(WatchListFile, RoundTrips) {
  const struct {
    std::u16string text;
    std::vector<std::u16string> entries;
  } cases[] = {
      {u"A HIGH\r\nB IDOL\r\n", {u"A HIGH", u"B IDOL"}},
      {u"\r\nA HIGH\r\n\r\n\r\nB IDOL\r\n\r\n", {u"A HIGH", u"B IDOL"}},
      {u"\r\n", {}},
      {u"", {}},
      {u"A\rB", {u"A", u"B"}},
      {u"A\nB\r\n", {u"A\nB"}},
      {u"A  \r\n", {u"A  "}},  // trailing blanks are kept
  };
  for (const auto& c : cases) EXPECT_EQ(ParseWatchList(c.text), c.entries);
  EXPECT_EQ(WatchListText({}), u"\r\n");
  EXPECT_EQ(WatchListText({u"A HIGH", u"B "}), u"A HIGH\r\nB \r\n");
  EXPECT_EQ(ParseWatchList(WatchListText({u"X NORMAL    ", u"Y"})),
            (std::vector<std::u16string>{u"X NORMAL    ", u"Y"}));
}

TEST(MonitorSwitch, OnlyAnExactFirstLineOfOn) {
  EXPECT_TRUE(MonitorSwitchOn(u"ON\r\n"));
  EXPECT_TRUE(MonitorSwitchOn(u"ON"));
  EXPECT_TRUE(MonitorSwitchOn(u"ON\r\nOFF\r\n"));
  for (const char16_t* off : {u"on\r\n", u"ON \r\n", u"OFF\r\n", u"", u"\r\nON\r\n", u" ON"}) {
    EXPECT_FALSE(MonitorSwitchOn(off)) << std::u16string(off).size();
  }
}

}  // namespace
}  // namespace tidewarden
