#include "tidewarden/monitor/process_monitor.h"

#include <gtest/gtest.h>

#include "tidewarden/monitor/monitor_fixture.h"
#include "tidewarden/monitor/watch_entry.h"

namespace tidewarden {
namespace {

using platform::PriorityClass;

struct MonitorTest : ::testing::Test, MonitorFixture {
  static std::u16string Entry(const std::u16string& path, const std::u16string& word) {
    return FixedWidth(path, 60) + u" " + word;
  }
  void Watch(std::vector<std::u16string> entries) {
    files.files_[watchFile] = WatchListText(entries);
    monitor.LoadWatchList();
  }
};

TEST_F(MonitorTest, SwitchFileTurnsMonitoringOn) {
  const struct {
    std::optional<std::u16string> file;
    bool on;
    bool hidden = false;  // a hidden or system file counts as missing
  } cases[] = {{u"ON\r\n", true},       {u"OFF\r\n", false}, {u"on\r\n", false},
               {u"ON \r\n", false},     {u"", false},        {std::nullopt, false},
               {u"ON\r\n", false, true}};
  for (const auto& c : cases) {
    ProgramState fresh;
    fresh.AppPath = u"C:\\T\\";
    ProcessMonitor subject{fresh, files, processes, boxes};
    files.files_.erase(switchFile);
    files.hidden_.clear();
    if (c.file) files.files_[switchFile] = *c.file;
    if (c.hidden) files.hidden_.insert(switchFile);
    subject.LoadMonitorSwitch();
    EXPECT_EQ(fresh.MonitorOn, c.on);
  }
}

TEST_F(MonitorTest, MenuCommandsSwitchMarkAndWrite) {
  monitor.SwitchMonitoringOn();
  EXPECT_TRUE(state.MonitorOn);
  EXPECT_EQ(files.files_[switchFile], u"ON\r\n");
  monitor.SwitchMonitoringOn();  // again: the same line is written again
  EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "WriteText C:\\T\\Process2.ini"), 2);
  monitor.SwitchMonitoringOff();
  EXPECT_FALSE(state.MonitorOn);
  EXPECT_EQ(files.files_[switchFile], u"OFF\r\n");
  EXPECT_TRUE(boxes.shown_.empty());
}

TEST_F(MonitorTest, SwitchThatCannotBeSavedStillSwitches) {
  files.refuseWrites_ = true;
  monitor.SwitchMonitoringOn();
  EXPECT_TRUE(state.MonitorOn);
  ASSERT_EQ(boxes.shown_.size(), 1u);
  EXPECT_EQ(boxes.shown_[0].title, u"Tidewarden ");
}

TEST_F(MonitorTest, WatchListLoadsWithoutEmptyLinesAndMissingFileKeepsTheList) {
  files.files_[watchFile] = u"\r\nA HIGH\r\n\r\nB IDOL\r\n";
  monitor.LoadWatchList();
  EXPECT_EQ(monitor.LiveWatchList(), (std::vector<std::u16string>{u"A HIGH", u"B IDOL"}));
  files.files_.erase(watchFile);
  EXPECT_EQ(monitor.LoadWatchList(), WatchListFile::Missing);
  EXPECT_EQ(monitor.LiveWatchList().size(), 2u);
  files.files_[watchFile] = u"C IDOL\r\n";
  files.hidden_.insert(watchFile);
  EXPECT_EQ(monitor.LoadWatchList(), WatchListFile::Hidden);
  EXPECT_EQ(monitor.LiveWatchList().size(), 2u);
  files.hidden_.clear();
  files.files_[watchFile] = u"\r\n";
  monitor.LoadWatchList();
  EXPECT_TRUE(monitor.LiveWatchList().empty());
}

TEST_F(MonitorTest, AListThatCannotBeReadIsReadAgainAtEveryPass) {
  processes.running_ = {{10, 1, 8, u"C:\\APP\\A.EXE"}};
  files.files_[watchFile] = WatchListText({Entry(u"C:\\APP\\A.EXE", u"HIGH")});
  files.unreadable_.insert(watchFile);  // locked by a backup program at start-up
  EXPECT_EQ(monitor.LoadWatchList(), WatchListFile::Unreadable);
  monitor.EnforcePriorities();
  EXPECT_TRUE(processes.classes_.empty());
  files.unreadable_.clear();
  monitor.EnforcePriorities();
  EXPECT_EQ(processes.classes_[10], PriorityClass::High);
}

TEST_F(MonitorTest, SaveWritesTheWholeListOrReportsFailure) {
  EXPECT_TRUE(monitor.SaveWatchList({}));
  EXPECT_EQ(files.files_[watchFile], u"\r\n");
  EXPECT_TRUE(monitor.SaveWatchList({u"A HIGH      ", u"B NORMAL"}));
  EXPECT_EQ(files.files_[watchFile], u"A HIGH      \r\nB NORMAL\r\n");
  files.refuseWrites_ = true;
  EXPECT_FALSE(monitor.SaveWatchList({u"C"}));
  EXPECT_EQ(files.files_[watchFile], u"A HIGH      \r\nB NORMAL\r\n");
}

TEST_F(MonitorTest, EnforcementSetsEveryInstanceByEveryMatchingEntry) {
  processes.running_ = {{10, 1, 8, u"C:\\APP\\A.EXE"},
                        {11, 1, 8, u"C:\\APP\\B.EXE"},
                        {12, 1, 8, u"C:\\APP\\A.EXE"},
                        {13, 1, 8, u"C:\\APP\\C.EXE"}};
  Watch({Entry(u"C:\\APP\\A.EXE", u"HIGH      "), Entry(u"C:\\APP\\B.EXE", u"HIGH"),
         Entry(u"C:\\APP\\B.EXE", u"IDOL"), Entry(u"C:\\APP\\C.EXE", u""),
         Entry(u"C:\\APP\\GONE.EXE", u"REALTIME")});
  processes.unopenable_ = {12};
  monitor.EnforcePriorities();
  const std::vector<std::string> expected = {"SetPriorityClass 10 128", "SetPriorityClass 11 128",
                                             "SetPriorityClass 11 64", "SetPriorityClass 12 128"};
  std::vector<std::string> sets;
  for (const auto& call : log.calls) {
    if (call.rfind("SetPriorityClass", 0) == 0) sets.push_back(call);
  }
  EXPECT_EQ(sets, expected);
  EXPECT_EQ(processes.classes_[11], PriorityClass::Idle);  // the last entry's class stays
  EXPECT_EQ(processes.classes_.count(12), 0u);
  EXPECT_EQ(processes.classes_.count(13), 0u);  // no word: nothing set
}

TEST_F(MonitorTest, EnforcementSetsAgainEveryPassAndSurvivesAFailedSnapshot) {
  processes.running_ = {{10, 1, 8, u"C:\\APP\\A.EXE"}};
  Watch({Entry(u"C:\\APP\\A.EXE", u"HIGH")});
  monitor.EnforcePriorities();
  processes.classes_[10] = PriorityClass::Normal;  // another tool changed it
  monitor.EnforcePriorities();
  EXPECT_EQ(processes.classes_[10], PriorityClass::High);
  processes.snapshotFails_ = true;
  monitor.EnforcePriorities();
  EXPECT_TRUE(monitor.ProcessTable().empty());
}

TEST_F(MonitorTest, LongPathsMatchByTheirFirstSixtyCharacters) {
  const std::u16string path = u"C:\\" + std::u16string(70, u'd') + u"\\LONG.EXE";
  processes.running_ = {{20, 1, 8, path}};
  Watch({NewWatchEntry(processes.running_[0]).substr(0, 61) + u"REALTIME"});
  monitor.EnforcePriorities();
  EXPECT_EQ(processes.classes_[20], PriorityClass::Realtime);
}

TEST_F(MonitorTest, EmptyWatchListOpensNothing) {
  processes.running_ = {{10, 1, 8, u"C:\\APP\\A.EXE"}};
  monitor.EnforcePriorities();
  EXPECT_EQ(processes.snapshots_, 1);
  EXPECT_TRUE(processes.classes_.empty());
}

}  // namespace
}  // namespace tidewarden

namespace tidewarden {
namespace {

TEST_F(MonitorTest, EntriesShorterThanThePathFieldMatchNothing) {
  processes.running_ = {{10, 1, 8, u"A.EXE HIGH"}, {11, 1, 8, u"B.EXE"}};
  Watch({u"A.EXE HIGH", u"B.EXE HIGH"});
  monitor.EnforcePriorities();
  EXPECT_TRUE(processes.classes_.empty());
}

}  // namespace
}  // namespace tidewarden
