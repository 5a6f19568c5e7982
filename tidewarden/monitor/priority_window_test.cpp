#include "tidewarden/monitor/priority_window.h"

#include <gtest/gtest.h>

#include "tidewarden/monitor/monitor_fixture.h"
#include "tidewarden/monitor/watch_entry.h"

namespace tidewarden {
namespace {

using platform::PriorityClass;

struct WindowTest : ::testing::Test, MonitorFixture {
  PriorityWindow window{{monitor, state, files, processes}, boxes};

  void SetUp() override {
    processes.running_ = {{0x10, 2, 8, u"C:\\SYS\\A.EXE"},
                          {0x11, 5, 13, u"C:\\APP\\EDIT.EXE"},
                          {0x12, 1, 4, u"C:\\APP\\IDLE.EXE"}};
  }
};

TEST_F(WindowTest, OpeningListsProcessesAndTheFileAndSuspendsEnforcement) {
  files.files_[watchFile] = u"X HIGH\r\n\r\nY\r\n";
  window.Open();
  ASSERT_EQ(window.RunningRows().size(), 3u);
  EXPECT_EQ(window.RunningRows()[1], RunningRow(processes.running_[1]));
  EXPECT_EQ(window.WatchEntries(), (std::vector<std::u16string>{u"X HIGH", u"Y"}));
  EXPECT_TRUE(state.PriorityWindowOpen);
  EXPECT_FALSE(window.OptionsEnabled());
  window.OnClose();
  EXPECT_FALSE(state.PriorityWindowOpen);
}

TEST_F(WindowTest, RefreshRewritesRowsAndTheSelectionFollowsItsProcess) {
  window.Open();
  window.OnRunningRowClicked(2);
  const std::u16string selected = window.RunningRows()[2];
  processes.running_.erase(processes.running_.begin());  // A.EXE ended: rows move up
  window.OnRefreshTimer();
  ASSERT_EQ(window.RunningRows().size(), 2u);
  EXPECT_EQ(window.RunningSelection(), 1u);
  EXPECT_EQ(window.RunningRows()[1], selected);

  processes.running_[1].cntThreads = 40;  // a busy program: its row changes, it stays chosen
  processes.running_.insert(processes.running_.begin(), {0x30, 1, 8, u"C:\\NEW.EXE"});
  window.OnRefreshTimer();
  EXPECT_EQ(window.RunningSelection(), 2u);
  window.OnAddClicked();
  ASSERT_EQ(window.WatchEntries().size(), 1u);
  EXPECT_EQ(window.WatchEntries()[0].substr(0, 60), FixedWidth(u"C:\\APP\\IDLE.EXE", 60));

  processes.running_.pop_back();  // the selected one ends
  window.OnRefreshTimer();
  EXPECT_EQ(window.RunningRows().size(), 2u);
  EXPECT_EQ(window.RunningSelection(), std::nullopt);

  processes.snapshotFails_ = true;
  window.OnRefreshTimer();
  EXPECT_TRUE(window.RunningRows().empty());
}

TEST_F(WindowTest, AddTakesTheSelectedProcessOnce) {
  window.Open();
  window.OnAddClicked();  // nothing selected
  EXPECT_TRUE(window.WatchEntries().empty());
  window.OnRunningRowClicked(1);
  window.OnAddClicked();
  window.OnAddClicked();  // already watched
  ASSERT_EQ(window.WatchEntries().size(), 1u);
  EXPECT_EQ(window.WatchEntries()[0], FixedWidth(u"C:\\APP\\EDIT.EXE", 60) + u" HIGH      ");
  EXPECT_EQ(window.WatchSelection(), std::nullopt);  // the new entry is not selected

  window.OnWatchEntryClicked(0);
  window.OnDeleteClicked();
  EXPECT_TRUE(window.WatchEntries().empty());
  window.OnAddClicked();  // after deleting it can be added again
  EXPECT_EQ(window.WatchEntries().size(), 1u);
}

TEST_F(WindowTest, AddRefusesANameThatWouldBreakTheLine) {
  files.notInCodePage_ = u"é한";
  const struct {
    std::u16string path;
    bool added;
    bool told;
  } cases[] = {
      {u"C:\\APP\\A.EXE HIGH\r\nC:\\X.EXE", false, false},
      {u"C:\\APP\\A.EXE\rHIGH", false, false},
      {u"C:\\APP\\A.EXE\nHIGH", false, false},
      {u"C:\\APP\\A.EXE", true, false},
      // Beyond the 60 characters of the path field a break is cut away with the rest.
      {std::u16string(60, u'A') + u"\r\nC:\\X.EXE HIGH", true, false},
      // The file would store a stand-in ("cafe.exe", "??.exe") that matches nothing running.
      {u"café.exe", false, true},
      {u"한글.exe", false, true},
      {u"日本語.exe", true, false},
  };
  for (const auto& c : cases) {
    processes.running_ = {{0x20, 1, 8, c.path}};
    boxes.shown_.clear();
    PriorityWindow fresh{{monitor, state, files, processes}, boxes};
    fresh.Open();
    fresh.OnRunningRowClicked(0);
    fresh.OnAddClicked();
    EXPECT_EQ(fresh.WatchEntries().size(), c.added ? 1u : 0u) << c.path.size();
    ASSERT_EQ(boxes.shown_.size(), c.told ? 1u : 0u) << c.path.size();
    if (c.told) {
      EXPECT_NE(boxes.shown_[0].text.find(c.path), std::u16string::npos);
    }
    EXPECT_EQ(ParseWatchList(WatchListText(fresh.WatchEntries())), fresh.WatchEntries());
    fresh.OnClose();
  }
}

TEST_F(WindowTest, AddNeverReadsPastTheTable) {
  window.Open();
  window.OnRunningRowClicked(2);
  processes.running_.resize(1);
  window.OnWatchEntryClicked(std::nullopt);
  monitor.TakeProcessSnapshot();  // an option button re-took a shorter table meanwhile
  window.OnAddClicked();
  EXPECT_TRUE(window.WatchEntries().empty());
}

TEST_F(WindowTest, SelectingAnEntryEnablesAndSetsTheOptions) {
  files.files_[watchFile] = FixedWidth(u"C:\\HIGHLAND\\A.EXE", 60) + u" NORMAL\r\n" +
                            FixedWidth(u"C:\\B.EXE", 60) + u" \r\n";
  window.Open();
  window.OnWatchEntryClicked(0);
  EXPECT_TRUE(window.OptionsEnabled());
  EXPECT_EQ(window.SelectedOption(), 2);  // NORMAL: the folder's name is not a word
  window.OnWatchEntryClicked(1);          // no word: no option is chosen
  EXPECT_EQ(window.SelectedOption(), std::nullopt);
  window.OnWatchEntryClicked(std::nullopt);
  EXPECT_TRUE(window.OptionsEnabled());
}

TEST_F(WindowTest, OptionAppliesAtOnceAndRewritesTheEntry) {
  processes.running_.push_back({0x13, 1, 13, u"C:\\APP\\EDIT.EXE"});  // a second instance
  window.Open();
  window.OnRunningRowClicked(1);
  window.OnAddClicked();
  window.OnWatchEntryClicked(0);
  window.OnPriorityOptionClicked(2);
  EXPECT_EQ(processes.classes_[0x11], PriorityClass::Normal);
  EXPECT_EQ(processes.classes_[0x13], PriorityClass::Normal);
  EXPECT_EQ(window.WatchEntries()[0], FixedWidth(u"C:\\APP\\EDIT.EXE", 60) + u" NORMAL");
  EXPECT_EQ(window.WatchSelection(), 0u);
  EXPECT_FALSE(files.files_.count(watchFile));  // only OK writes the file
}

TEST_F(WindowTest, OptionForAProgramThatIsNotRunningChangesNothing) {
  files.files_[watchFile] = FixedWidth(u"C:\\GONE.EXE", 60) + u" HIGH\r\n";
  window.Open();
  window.OnWatchEntryClicked(0);
  window.OnPriorityOptionClicked(3);
  EXPECT_EQ(window.WatchEntries()[0], FixedWidth(u"C:\\GONE.EXE", 60) + u" HIGH");
  EXPECT_EQ(window.SelectedOption(), 1);  // still HIGH, the word OK would save
  EXPECT_TRUE(processes.classes_.empty());
}

TEST_F(WindowTest, OkSavesAndMakesTheListLive) {
  window.Open();
  window.OnRunningRowClicked(0);
  window.OnAddClicked();
  EXPECT_TRUE(window.OnOkClicked());
  EXPECT_EQ(files.files_[watchFile], FixedWidth(u"C:\\SYS\\A.EXE", 60) + u" NORMAL    \r\n");
  EXPECT_EQ(monitor.LiveWatchList(), window.WatchEntries());
}

TEST_F(WindowTest, OkWithAnEmptyListWritesOneEmptyLine) {
  window.Open();
  EXPECT_TRUE(window.OnOkClicked());
  EXPECT_EQ(files.files_[watchFile], u"\r\n");
}

TEST_F(WindowTest, FailedSaveIsToldAndKeepsTheEdits) {
  files.files_[watchFile] = u"OLD\r\n";
  window.Open();
  monitor.LoadWatchList();
  window.OnRunningRowClicked(0);
  window.OnAddClicked();
  files.refuseWrites_ = true;
  EXPECT_FALSE(window.OnOkClicked());
  ASSERT_EQ(boxes.shown_.size(), 1u);
  EXPECT_EQ(boxes.shown_[0].title, u"Tidewarden ");
  EXPECT_EQ(window.WatchEntries().size(), 2u);
  EXPECT_EQ(monitor.LiveWatchList(), (std::vector<std::u16string>{u"OLD"}));
  EXPECT_EQ(files.files_[watchFile], u"OLD\r\n");
}

// Another program (an editor, a copy in another session sharing the folder) may have written
// the file while the window was open: its edit is only replaced when the user says so.
TEST_F(WindowTest, OkAsksBeforeReplacingAFileChangedSinceOpening) {
  const struct {
    const char* why;
    std::optional<std::u16string> atOpen;  // empty: no file
    std::optional<std::u16string> atOk;
    bool yes;
    bool asked;
    bool saved;
  } cases[] = {
      {"unchanged", u"OLD\r\n", u"OLD\r\n", false, false, true},
      {"edited, replace", u"OLD\r\n", u"EDITED\r\n", true, true, true},
      {"edited, keep", u"OLD\r\n", u"EDITED\r\n", false, true, false},
      {"made since", std::nullopt, u"NEW\r\n", false, true, false},
      {"still none", std::nullopt, std::nullopt, false, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    MonitorFixture m;
    PriorityWindow subject{{m.monitor, m.state, m.files, m.processes}, m.boxes};
    m.processes.running_ = processes.running_;
    if (c.atOpen) m.files.files_[m.watchFile] = *c.atOpen;
    subject.Open();
    subject.OnRunningRowClicked(0);
    subject.OnAddClicked();
    m.files.files_.erase(m.watchFile);
    if (c.atOk) m.files.files_[m.watchFile] = *c.atOk;
    m.boxes.answerYes_ = c.yes;
    EXPECT_EQ(subject.OnOkClicked(), c.saved);
    ASSERT_EQ(m.boxes.shown_.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_NE(m.boxes.shown_[0].text.find(u"Process.ini"), std::u16string::npos);
    }
    const auto file = m.files.files_.find(m.watchFile);
    ASSERT_TRUE(file != m.files.files_.end());
    if (c.saved) {
      EXPECT_EQ(file->second, WatchListText(subject.WatchEntries()));
    } else {
      EXPECT_EQ(file->second, *c.atOk);                              // untouched
      EXPECT_EQ(subject.WatchEntries().size(), c.atOpen ? 2u : 1u);  // the edits stay
    }
  }
}

// A list that is there but was not taken is the user's all the same.
TEST(PriorityWindowFile, AListNotTakenIsToldAndNeverWrittenOver) {
  const struct {
    const char* why;
    bool unreadable;  // locked by a backup program
    bool hidden;      // hidden or system attribute
  } cases[] = {{"unreadable", true, false}, {"hidden", false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    MonitorFixture m;
    PriorityWindow window{{m.monitor, m.state, m.files, m.processes}, m.boxes};
    m.processes.running_ = {{0x10, 2, 8, u"C:\\SYS\\A.EXE"}};
    m.files.files_[m.watchFile] = u"OLD HIGH\r\n";
    if (c.unreadable) m.files.unreadable_.insert(m.watchFile);
    if (c.hidden) m.files.hidden_.insert(m.watchFile);
    window.Open();
    ASSERT_EQ(m.boxes.shown_.size(), 1u);
    EXPECT_NE(m.boxes.shown_[0].text.find(u"Process.ini"), std::u16string::npos);
    window.OnRunningRowClicked(0);
    window.OnAddClicked();
    ASSERT_EQ(window.RunningRows().size(), 1u);
    ASSERT_EQ(window.WatchEntries().size(), 1u);
    EXPECT_FALSE(window.OnOkClicked());
    EXPECT_EQ(m.boxes.shown_.size(), 2u);
    m.files.unreadable_.clear();
    m.files.hidden_.clear();
    EXPECT_FALSE(window.OnOkClicked());  // what the window shows is still not the file
    EXPECT_EQ(m.files.files_[m.watchFile], u"OLD HIGH\r\n");
    EXPECT_EQ(window.WatchEntries().size(), 1u);  // the edits stay
  }
}

}  // namespace
}  // namespace tidewarden
