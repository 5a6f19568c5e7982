#include "tidewarden/tray_program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tidewarden/fake_ports.h"

namespace tidewarden {
namespace {

using platform::TimerId;

struct TrayProgramTest : ::testing::Test, FakePorts {
  TrayRig rig{*this};
  TrayProgram& program = rig.program;
  const ProgramState& state = rig.state;

  const std::u16string app = u"C:\\Tools\\Tidewarden\\";
  const std::u16string hwndFile = app + u"hwnd.tmp";
  const std::u16string rsrc = u"C:\\WINDOWS\\system\\rsrc32.dll";

  // Whether the item at a caption path ("プロセス監視/監視する") was checked in the last menu.
  bool ShownChecked(const std::u16string& path) const {
    const std::vector<platform::MenuEntry>* entries = &popups.shown_.back();
    std::u16string rest = path;
    for (;;) {
      const size_t slash = rest.find(u'/');
      const std::u16string caption = rest.substr(0, slash);
      const auto found = std::find_if(entries->begin(), entries->end(),
                                      [&](const auto& entry) { return entry.caption == caption; });
      if (found == entries->end()) return false;
      if (slash == std::u16string::npos) return found->checked;
      entries = &found->children;
      rest = rest.substr(slash + 1);
    }
  }

  bool Logged(const std::string& call) const {
    return std::find(log.calls.begin(), log.calls.end(), call) != log.calls.end();
  }
};

// A machine of its own for each case of a table.
struct MenuMachine : FakePorts {
  TrayRig rig{*this};
};

TEST_F(TrayProgramTest, NormalStartInOrder) {
  program.Start();
  EXPECT_EQ(log.calls.front(), "SetPriorityClass 64");
  const std::vector<std::string> expected = {
      "SetPriorityClass 64", "TimerStart 1 6000",
      "TimerStart 2 2000",   "TrayAdd",
      "TimerStart 3 50",     "WriteText C:\\Tools\\Tidewarden\\hwnd.tmp"};
  EXPECT_EQ(log.calls, expected);
  EXPECT_EQ(state.AppPath, app);
  EXPECT_EQ(state.WinDir, u"C:\\WINDOWS");
  EXPECT_FALSE(state.OneShotMode);
  EXPECT_DOUBLE_EQ(state.ReleaseRatio, 0.25);
  EXPECT_EQ(files.files_[hwndFile], u" 3342546 \r\n");
  EXPECT_EQ(tray.tooltip_, u"時刻 ≪4:05≫  空きメモリー ≪100MB≫");
  EXPECT_FALSE(lifetime.quit_);
}

TEST_F(TrayProgramTest, AWatchListThatCannotBeReadIsToldAfterTheStart) {
  files.files_[app + u"Process.ini"] = u"A HIGH\r\n";
  files.unreadable_.insert(app + u"Process.ini");
  program.Start();
  ASSERT_EQ(boxes.shown_.size(), 1u);
  EXPECT_NE(boxes.shown_[0].text.find(u"Process.ini"), std::u16string::npos);
  EXPECT_EQ(log.calls.back(), "ShowOk");  // hwnd.tmp is written first
}

// A copy started elevated holds a place a copy of normal rights may not even open: that
// answer, too, means another copy runs.
TEST(TrayStart, SecondNormalCopyEndsBeforeIconOrFile) {
  using platform::InstanceClaim;
  const struct {
    InstanceClaim claim;
    bool runs;
  } cases[] = {
      {InstanceClaim::Created, true},
      {InstanceClaim::AlreadyExists, false},
      {InstanceClaim::AccessDenied, false},
      {InstanceClaim::Failed, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.claim));
    MenuMachine t;
    const std::u16string hwndFile = u"C:\\Tools\\Tidewarden\\hwnd.tmp";
    t.lifetime.claim_ = c.claim;
    t.files.files_[hwndFile] = u"untouched";
    t.rig.program.Start();
    EXPECT_EQ(t.lifetime.quit_, !c.runs);
    EXPECT_EQ(t.tray.shown_, c.runs);
    EXPECT_EQ(t.files.files_[hwndFile] != u"untouched", c.runs);
  }
}

TEST_F(TrayProgramTest, AnArgumentGivesOneShotMode) {
  const struct {
    std::u16string arguments;
    double target;
  } cases[] = {{u"300", 300}, {u"abc", 0}, {u" 3 00x", 300}, {u"1.5", 1.5}};
  for (const auto& c : cases) {
    FakePorts machine;
    machine.lifetime.claim_ =
        platform::InstanceClaim::AlreadyExists;  // one-shot copies run beside a normal one
    machine.session.arguments_ = c.arguments;
    TrayRig oneShot{machine};
    oneShot.program.Start();
    EXPECT_TRUE(oneShot.state.OneShotMode);
    EXPECT_DOUBLE_EQ(oneShot.state.OneShotTargetMB, c.target);
    EXPECT_FALSE(machine.tray.shown_);
    EXPECT_TRUE(machine.files.files_.empty());  // no hwnd.tmp
    EXPECT_FALSE(machine.lifetime.quit_);
    oneShot.program.OnTooltipTimer();  // no icon to refresh
    EXPECT_FALSE(machine.tray.shown_);
  }
}

TEST_F(TrayProgramTest, SettingsChooseThresholdAndPeriod) {
  files.files_[app + u"Tidewarden.ini"] = u"CREANSIZE=30\r\nSEEK=15000\r\n";
  program.Start();
  EXPECT_DOUBLE_EQ(state.ReleaseRatio, 0.30);
  EXPECT_EQ(timers.Interval(TimerId::Check), 15000u);
  EXPECT_EQ(timers.Interval(TimerId::Tooltip), 2000u);
}

TEST_F(TrayProgramTest, ProgramFolderAtADriveRoot) {
  session.programFolder_ = u"D:\\";
  program.Start();
  EXPECT_EQ(state.AppPath, u"D:\\");
  EXPECT_TRUE(files.files_.count(u"D:\\hwnd.tmp"));
}

TEST_F(TrayProgramTest, ResourcesPieceOnlyWithTheMeterLibrary) {
  program.Start();
  EXPECT_FALSE(state.ResourcesAvailable);
  EXPECT_TRUE(meter.calls_.empty());
  EXPECT_EQ(tray.tooltip_.find(u"リソース"), std::u16string::npos);

  FakePorts machine;
  machine.files.files_[rsrc] = u"";
  TrayRig withMeter{machine};
  withMeter.program.Start();
  EXPECT_TRUE(withMeter.state.ResourcesAvailable);
  EXPECT_EQ(machine.tray.tooltip_, u"時刻 ≪4:05≫  空きメモリー ≪100MB≫  リソース ≪72%≫");
  EXPECT_EQ(machine.meter.calls_.back(), rsrc);  // always by its full path
}

TEST_F(TrayProgramTest, HiddenMeterLibraryCountsAsMissing) {
  files.files_[rsrc] = u"";
  files.hidden_.insert(rsrc);
  program.Start();
  EXPECT_FALSE(state.ResourcesAvailable);
}

TEST_F(TrayProgramTest, TooltipTimerRefreshesTheTooltipAndSurvivesFailures) {
  program.Start();
  memory.SetMB(256, 90);
  clock.now_.minute = 6;
  program.OnTooltipTimer();
  EXPECT_EQ(tray.tooltip_, u"時刻 ≪4:06≫  空きメモリー ≪90MB≫");

  memory.answer_.reset();  // the figure cannot be had: the old text stays
  program.OnTooltipTimer();
  EXPECT_EQ(tray.tooltip_, u"時刻 ≪4:06≫  空きメモリー ≪90MB≫");

  memory.SetMB(256, 80);
  program.OnTooltipTimer();
  EXPECT_EQ(tray.tooltip_, u"時刻 ≪4:06≫  空きメモリー ≪80MB≫");
}

TEST_F(TrayProgramTest, AMeterThatDoesNotAnswerLeavesOutOnlyItsPiece) {
  files.files_[rsrc] = u"";
  program.Start();
  meter.answer_.reset();  // there, but it cannot be loaded
  memory.SetMB(256, 50);
  program.OnTooltipTimer();
  EXPECT_EQ(tray.tooltip_, u"時刻 ≪4:05≫  空きメモリー ≪50MB≫");
  program.OnTrayMessage(kTrayRightButtonUp);
  EXPECT_EQ(popups.shown_.back()[2].caption, u"≪     空きメモリー 50MB     ≫");
}

TEST_F(TrayProgramTest, IconIsAddedOnceTheTaskbarIsUp) {
  tray.refuseAdd_ = true;
  program.Start();
  EXPECT_FALSE(tray.shown_);
  program.OnTooltipTimer();
  EXPECT_FALSE(tray.shown_);
  tray.refuseAdd_ = false;
  program.OnTooltipTimer();
  EXPECT_TRUE(tray.shown_);
  EXPECT_NE(tray.tooltip_.find(u"空きメモリー"), std::u16string::npos);
}

TEST_F(TrayProgramTest, AnAddThatTimesOutStillGetsItsTooltipAndItsRemoval) {
  tray.addTimesOut_ = true;  // the icon is there although the add said no
  program.Start();
  memory.SetMB(256, 90);
  log.calls.clear();
  program.OnTooltipTimer();
  EXPECT_EQ(tray.tooltip_, u"時刻 ≪4:05≫  空きメモリー ≪90MB≫");
  EXPECT_FALSE(Logged("TrayAdd"));  // no add again and again
  program.OnExitChosen();
  EXPECT_FALSE(tray.shown_);

  // Even when nothing could confirm the icon, the exit takes away any that is there.
  FakePorts slow;
  slow.tray.addTimesOut_ = true;
  slow.tray.modifyTimesOut_ = true;
  TrayRig atSignIn{slow};
  atSignIn.program.Start();
  atSignIn.program.OnExitChosen();
  EXPECT_FALSE(slow.tray.shown_);
}

TEST_F(TrayProgramTest, IconComesBackWhenTheShellForgetsIt) {
  program.Start();
  tray.shown_ = false;  // Explorer restarted: the shell forgot the icon
  program.OnTaskbarCreated();
  EXPECT_TRUE(tray.shown_);
  program.OnTaskbarCreated();  // a second notice with the icon still there changes nothing
  EXPECT_TRUE(tray.shown_);
  program.OnTooltipTimer();
  EXPECT_TRUE(Logged("TraySetTooltip"));

  // Gone without a notice: taken away by another program, or a restart whose message an
  // elevated copy never hears. The next tooltip update puts it back.
  tray.shown_ = false;
  log.calls.clear();
  program.OnTooltipTimer();
  EXPECT_TRUE(tray.shown_);
  EXPECT_TRUE(Logged("TrayAdd"));
}

TEST_F(TrayProgramTest, OneShotIgnoresTaskbarCreated) {
  session.arguments_ = u"300";
  program.Start();
  program.OnTaskbarCreated();
  EXPECT_FALSE(tray.shown_);
}

TEST(TrayGestures, EachGestureOpensItsOneMenuWhereItWasMade) {
  using platform::PopupAlign;
  using platform::ScreenPoint;
  constexpr ScreenPoint kIcon{-70, 1050};  // the anchor, on a monitor left of the primary
  constexpr PopupAlign kWhole = PopupAlign::CenterOnPointer;
  constexpr PopupAlign kClick = PopupAlign::LeftAtPointer;
  struct Opened {
    PopupAlign menu;
    bool atIcon;  // else at the mouse pointer
  };
  const std::vector<unsigned> everyOtherMouseMessage = {512u, 513u, 515u, 516u, 518u,
                                                        519u, 520u, 521u, 0u};
  const struct {
    const char* gesture;
    int version;
    std::vector<unsigned> notifications;
    std::vector<Opened> opened;
    int focusReturns;
    const char16_t* choose = nullptr;
    // Notifications that arrive while the menu shows.
    std::vector<unsigned> whileOpen = {};
  } rows[] = {
      {"v0: moves, downs, double clicks", 0, everyOtherMouseMessage, {}, 0},
      {"v0: left click", 0, {513u, kTrayLeftButtonUp}, {{kClick, false}}, 0},
      {"v0: right click", 0, {516u, kTrayRightButtonUp}, {{kWhole, false}}, 0},
      {"v0: version 4 notifications", 0, {kTrayContextMenu, kTraySelect, kTrayKeySelect}, {}, 0},
      {"v4: moves, downs, double clicks", 4, everyOtherMouseMessage, {}, 0},
      {"v4: right click", 4, {516u, kTrayRightButtonUp, kTrayContextMenu}, {{kWhole, false}}, 0},
      {"v4: right click, pointer moving",
       4,
       {kTrayRightButtonUp, kTrayMouseMove, kTrayContextMenu},
       {{kWhole, false}},
       0},
      {"v4: left click", 4, {513u, kTrayLeftButtonUp, kTraySelect}, {{kClick, false}}, 0},
      {"v4: Shift+F10", 4, {kTrayContextMenu}, {{kWhole, true}}, 1},
      {"v4: Enter", 4, {kTrayKeySelect}, {{kClick, true}}, 1},
      {"v4: right click, then Shift+F10",
       4,
       {kTrayRightButtonUp, kTrayContextMenu, kTrayContextMenu},
       {{kWhole, false}, {kWhole, true}},
       1},
      {"v4: Enter reported twice while its menu shows",
       4,
       {kTrayKeySelect},
       {{kClick, true}},
       1,
       nullptr,
       {kTrayKeySelect}},
      {"v4: a click while the keyboard's menu shows",
       4,
       {kTrayContextMenu},
       {{kWhole, true}},
       1,
       nullptr,
       {kTrayLeftButtonUp, kTraySelect, kTrayRightButtonUp, kTrayContextMenu}},
      {"v4: Enter, a volume step chosen", 4, {kTrayKeySelect}, {{kClick, true}}, 1, u"＋9 (最大)"},
      {"v4: Shift+F10, a window opened",
       4,
       {kTrayContextMenu},
       {{kWhole, true}},
       0,
       u"ツール設定の変更"},
      {"v4: Shift+F10, Exit", 4, {kTrayContextMenu}, {{kWhole, true}}, 0, u"終了"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.gesture);
    MenuMachine t;
    t.rig.program.Start();
    t.tray.version_ = row.version;
    if (row.choose != nullptr) t.popups.choose_ = row.choose;
    if (!row.whileOpen.empty()) {
      t.popups.whileOpen_ = [&] {
        for (const unsigned during : row.whileOpen) t.rig.program.OnTrayMessage(during, kIcon);
      };
    }
    for (const unsigned notification : row.notifications) {
      t.rig.program.OnTrayMessage(notification, kIcon);
    }
    ASSERT_EQ(t.popups.aligns_.size(), row.opened.size());
    for (size_t k = 0; k < row.opened.size(); ++k) {
      EXPECT_EQ(t.popups.aligns_[k], row.opened[k].menu) << "menu " << k;
      EXPECT_EQ(t.popups.places_[k], row.opened[k].atIcon ? std::optional(kIcon) : std::nullopt)
          << "menu " << k;
    }
    EXPECT_EQ(t.tray.focusReturns_, row.focusReturns);
  }
}

TEST_F(TrayProgramTest, LeftClickShowsASubmenuWithItsCloseItem) {
  program.Start();
  program.OnTrayMessage(kTrayLeftButtonUp);
  ASSERT_EQ(popups.shown_.size(), 1u);
  EXPECT_EQ(popups.shown_[0][0].caption, u"メニューを閉じる");
  EXPECT_TRUE(popups.shown_[0][1].separator);
  EXPECT_EQ(popups.shown_[0][2].caption, u"＋9 (最大)");  // no CLICK setting: volume

  files.files_[app + u"Marrowgate.ini"] = u"[TOOL]\r\nVOLUME=NORMAL\r\nCLICK=SCREENSIZE\r\n";
  program.OnTrayMessage(kTrayLeftButtonUp);
  EXPECT_EQ(popups.shown_[1].back().caption, u"(なし)");
  EXPECT_EQ(popups.shown_[1][0].caption, u"メニューを閉じる");
}

TEST_F(TrayProgramTest, RightClickHidesTheSubmenusCloseItems) {
  program.Start();
  program.OnTrayMessage(kTrayLeftButtonUp);
  program.OnTrayMessage(kTrayRightButtonUp);
  const auto& whole = popups.shown_.back();
  EXPECT_EQ(whole[0].caption, u"メニューを閉じる");
  const auto volume =
      std::find_if(whole.begin(), whole.end(), [](const auto& e) { return e.caption == u"音量"; });
  ASSERT_NE(volume, whole.end());
  EXPECT_EQ(volume->children[0].caption, u"＋9 (最大)");
  // and a left click after it shows them again
  program.OnTrayMessage(kTrayLeftButtonUp);
  EXPECT_EQ(popups.shown_.back()[0].caption, u"メニューを閉じる");
}

TEST_F(TrayProgramTest, RefreshFillsTheStatusLines) {
  memory.SetMB(1024, 512);
  program.Start();
  program.OnTrayMessage(kTrayRightButtonUp);
  const auto& whole = popups.shown_.back();
  EXPECT_EQ(whole[2].caption, u"≪    空きメモリー 512MB    ≫");
  EXPECT_EQ(whole[3].caption, u"≪12月6日 日曜日 4時05分≫");

  memory.answer_.reset();  // the memory line keeps its text, the date moves on
  clock.now_.minute = 7;
  program.OnTrayMessage(kTrayRightButtonUp);
  EXPECT_EQ(popups.shown_.back()[2].caption, u"≪    空きメモリー 512MB    ≫");
  EXPECT_EQ(popups.shown_.back()[3].caption, u"≪12月6日 日曜日 4時07分≫");
}

TEST_F(TrayProgramTest, ExitEntryRemovesTheIconAndEnds) {
  program.Start();
  popups.choose_ = u"終了";
  program.OnTrayMessage(kTrayRightButtonUp);
  EXPECT_FALSE(tray.shown_);
  EXPECT_TRUE(lifetime.quit_);
  const auto remove = std::find(log.calls.begin(), log.calls.end(), "TrayRemove");
  const auto quit = std::find(log.calls.begin(), log.calls.end(), "Quit");
  EXPECT_LT(remove, quit);
}

// What each item of the right-click menu does, one row an item ("*" ends a caption prefix for
// a run of items; the first row that matches counts); every item the menu shows has its row.

TEST(TrayMenu, EveryMenuItemDoesWhatItSays) {
  using Check = std::function<void(MenuMachine&)>;
  const auto started = [](std::u16string application) -> Check {
    return [application](MenuMachine& t) {
      ASSERT_EQ(t.launcher.started_.size(), 1u);
      EXPECT_EQ(t.launcher.started_[0].application, application);
      // Tidewarden runs idle: what the user asked for must not (the new Explorer, and all it
      // starts, would run idle until sign-out).
      EXPECT_EQ(t.launcher.childClasses_[0], platform::PriorityClass::Normal);
      EXPECT_TRUE(t.launcher.started_[0].startFeedback);
    };
  };
  const Check nothing = [](MenuMachine& t) {
    EXPECT_TRUE(t.launcher.started_.empty());
    EXPECT_FALSE(t.lifetime.quit_);
    EXPECT_EQ(t.windowHost.shown, 0);
    EXPECT_EQ(t.waveOut.devices_[0].volume, 0x12341234u);
  };
  const struct {
    std::u16string path;
    Check effect;
  } rows[] = {
      {u"メニューを閉じる", nothing},
      {u"≪*", nothing},  // the two status lines
      {u"音量/ボリューム", started(u"C:\\WINDOWS\\system32\\SNDVOL32.EXE")},
      {u"音量/*", [](MenuMachine& t) { EXPECT_NE(t.waveOut.devices_[0].volume, 0x12341234u); }},
      {u"解像度変更/1024x768 32Bit", nothing},  // the mode in use
      {u"解像度変更/800x600 32Bit",
       [](MenuMachine& t) { EXPECT_EQ(t.display.current_.width, 800); }},
      {u"メモリーリークを治す",
       [](MenuMachine& t) {
         ASSERT_EQ(t.launcher.started_.size(), 1u);
         EXPECT_EQ(t.launcher.started_[0].commandLine,
                   u"\"C:\\Tools\\Tidewarden\\Scrubwright\\Scrubwright.exe\" 156");
         EXPECT_EQ(t.launcher.childClasses_[0], platform::PriorityClass::Idle);
         EXPECT_FALSE(t.launcher.started_[0].startFeedback);  // no busy pointer for seconds
       }},
      {u"エクスプローラを再起動する", started(u"C:\\WINDOWS\\explorer.exe")},
      {u"設定の変更", started(u"C:\\Tools\\Tidewarden\\Config.exe")},
      {u"ツール設定の変更", started(u"C:\\Tools\\Tidewarden\\Marrowgate.exe")},
      {u"プロセス監視/設定の変更", [](MenuMachine& t) { EXPECT_EQ(t.windowHost.shown, 1); }},
      {u"プロセス監視/監視する", [](MenuMachine& t) { EXPECT_TRUE(t.rig.state.MonitorOn); }},
      {u"プロセス監視/監視しない",
       [](MenuMachine& t) {
         EXPECT_FALSE(t.rig.state.MonitorOn);
         EXPECT_EQ(t.files.files_[u"C:\\Tools\\Tidewarden\\Process2.ini"], u"OFF\r\n");
       }},
      {u"終了", [](MenuMachine& t) { EXPECT_TRUE(t.lifetime.quit_); }},
  };
  const auto rowOf = [&rows](const std::u16string& path) -> const Check* {
    for (const auto& row : rows) {
      const bool prefix = row.path.back() == u'*';
      if (row.path == path ||
          (prefix && path.rfind(row.path.substr(0, row.path.size() - 1), 0) == 0)) {
        return &row.effect;
      }
    }
    return nullptr;
  };
  const auto machine = [](FakePorts& p) {
    p.memory.SetMB(256, 100);
    p.waveOut.devices_ = {{0x0004, 0x12341234u}};
    p.display.modes_ = {{800, 600, 32}, {1024, 768, 32}};
    p.shellWindows.present_ = false;
    p.files.files_[u"C:\\WINDOWS\\system32\\SNDVOL32.EXE"] = u"";
  };
  MenuMachine shown;
  machine(shown);
  shown.rig.program.Start();
  shown.rig.program.OnTrayMessage(kTrayRightButtonUp);
  std::vector<std::u16string> leaves;
  const std::function<void(const std::vector<platform::MenuEntry>&, const std::u16string&)> walk =
      [&](const auto& entries, const std::u16string& prefix) {
        for (const auto& entry : entries) {
          if (entry.separator) continue;
          if (entry.children.empty()) leaves.push_back(prefix + entry.caption);
          walk(entry.children, prefix + entry.caption + u"/");
        }
      };
  walk(shown.popups.shown_.back(), u"");
  for (const std::u16string& leaf : leaves) {
    SCOPED_TRACE(testing::Message() << "item " << (&leaf - leaves.data()));
    const Check* effect = rowOf(leaf);
    ASSERT_NE(effect, nullptr) << "an item without its row";
    MenuMachine t;
    machine(t);
    t.rig.program.Start();
    t.log.calls.clear();
    t.popups.choose_ = leaf;
    t.rig.program.OnTrayMessage(kTrayRightButtonUp);
    (*effect)(t);
  }
}

TEST_F(TrayProgramTest, ClosingTheMenuWithoutAChoiceDoesNothing) {
  program.Start();
  log.calls.clear();
  for (const char16_t* choice : {u"メニューを閉じる", u"≪12月6日 日曜日 4時05分≫"}) {
    popups.choose_ = choice;
    program.OnTrayMessage(kTrayRightButtonUp);
  }
  popups.choose_.reset();
  program.OnTrayMessage(kTrayRightButtonUp);
  EXPECT_TRUE(log.calls.empty());
  EXPECT_FALSE(lifetime.quit_);
}

TEST_F(TrayProgramTest, CheckTimerReleasesInNormalMode) {
  memory.SetMB(256, 60);
  program.Start();
  program.OnCheckTimer();
  ASSERT_EQ(launcher.started_.size(), 1u);
  EXPECT_EQ(launcher.started_[0].commandLine,
            u"\"C:\\Tools\\Tidewarden\\Scrubwright\\Scrubwright.exe\" 61");
  EXPECT_TRUE(timers.Running(TimerId::Check));
}

// Memory is shared by every session: a disconnected session's copy would fill memory under
// the user who is working. Codes as WM_WTSSESSION_CHANGE gives them.
TEST(TraySession, ReleasesPauseWhileTheSessionIsDisconnected) {
  const struct {
    const char* why;
    std::vector<unsigned> changes;
    bool releases;
  } cases[] = {
      {"no change", {}, true},
      {"switched to another user", {2}, false},
      {"Remote Desktop closed", {4}, false},
      {"locked, still connected", {7}, true},
      {"disconnected, then locked", {2, 7}, false},
      {"back at the console", {2, 1}, true},
      {"back over Remote Desktop", {4, 3}, true},
      {"unlocked after switching back", {2, 1, 8}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    MenuMachine t;
    t.memory.SetMB(256, 60);
    t.rig.program.Start();
    for (unsigned change : c.changes) t.rig.program.OnSessionChange(change);
    t.rig.program.OnCheckTimer();
    EXPECT_EQ(t.launcher.started_.size(), c.releases ? 1u : 0u);
    EXPECT_EQ(t.rig.state.ReleaseCount, c.releases ? 1 : 0);
    EXPECT_TRUE(t.timers.Running(TimerId::Check));  // the ticks go on, to resume
  }
}

}  // namespace
}  // namespace tidewarden

namespace tidewarden {
namespace {

int CheckedVolumeStep(const std::vector<platform::MenuEntry>& whole) {
  for (const auto& entry : whole) {
    if (entry.caption != u"音量") continue;
    int step = -1;
    for (const auto& item : entry.children) {
      if (item.separator || item.caption == u"ボリューム") continue;
      ++step;
      if (item.checked) return step;
    }
  }
  return -1;
}

TEST_F(TrayProgramTest, RefreshMarksThePresentVolumeStep) {
  const struct {
    std::optional<std::uint32_t> volume;
    const char16_t* range;
    int checked;
  } cases[] = {
      {0x80008000u, u"NORMAL", 9}, {0xBFFCBFFCu, u"MAX", 9}, {0x20062006u, u"LOW", 9},
      {0x80008000u, u"LOW", -1},  // a loud device in the LOW range: no mark
      {0xFFFF0000u, u"MAX", 18},  // only the left channel counts: silence
      {std::nullopt, u"", 18},    // the read fails: reads as silence
  };
  program.Start();
  for (const auto& c : cases) {
    waveOut.devices_ = {{0x0004, c.volume}};
    files.files_[app + u"Marrowgate.ini"] =
        u"[TOOL]\r\nVOLUME=" + std::u16string(c.range) + u"\r\nCLICK=VOLUME\r\n";
    program.OnTrayMessage(kTrayRightButtonUp);
    EXPECT_EQ(CheckedVolumeStep(popups.shown_.back()), c.checked);
  }
  waveOut.devices_.clear();  // no device at all: mute is checked
  program.OnTrayMessage(kTrayRightButtonUp);
  EXPECT_EQ(CheckedVolumeStep(popups.shown_.back()), 18);
}

TEST_F(TrayProgramTest, ChoosingAVolumeStepSetsBothChannels) {
  waveOut.devices_ = {{0x0004, 0u}};
  files.files_[app + u"Marrowgate.ini"] = u"[TOOL]\r\nVOLUME=MAX\r\nCLICK=VOLUME\r\n";
  program.Start();
  popups.choose_ = u"±0 (中音量)";
  program.OnTrayMessage(kTrayLeftButtonUp);
  EXPECT_EQ(waveOut.devices_[0].volume, 0xBFFCBFFCu);
  popups.choose_ = u"－9 (ミュート)";
  program.OnTrayMessage(kTrayLeftButtonUp);
  EXPECT_EQ(waveOut.devices_[0].volume, 0u);
}

TEST_F(TrayProgramTest, ResolutionSubmenuIsRebuiltAndUsed) {
  display.modes_ = {{800, 600, 32}, {1024, 768, 32}};
  display.current_ = {800, 600, 32};
  files.files_[app + u"Marrowgate.ini"] = u"CLICK=SCREENSIZE\r\n";
  program.Start();
  program.OnTrayMessage(kTrayLeftButtonUp);
  const auto& shown = popups.shown_.back();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[2].caption, u"800x600 32Bit");
  EXPECT_TRUE(shown[2].checked);
  EXPECT_EQ(shown[3].caption, u"1024x768 32Bit");

  popups.choose_ = u"1024x768 32Bit";
  program.OnTrayMessage(kTrayLeftButtonUp);
  EXPECT_EQ(display.current_.width, 1024);
  popups.choose_.reset();
  program.OnTrayMessage(kTrayLeftButtonUp);
  EXPECT_FALSE(popups.shown_.back()[2].checked);
  EXPECT_TRUE(popups.shown_.back()[3].checked);

  // The modes are tested once, and again only when the system says the display changed.
  const int tests = display.tests_;
  display.testAnswers_[{800, 600, 32}] = -2;
  program.OnTrayMessage(kTrayLeftButtonUp);
  EXPECT_EQ(display.tests_, tests);
  EXPECT_EQ(popups.shown_.back().size(), 4u);
  program.OnDisplayChanged();
  program.OnTrayMessage(kTrayLeftButtonUp);
  EXPECT_EQ(display.tests_, tests + 2);
  EXPECT_EQ(popups.shown_.back()[2].caption, u"1024x768 32Bit");
}

// A mode test can take tens of milliseconds: they are done ahead, one a tick, so the first
// click waits for none and the window's messages never wait for more than one.
TEST_F(TrayProgramTest, ModesAreTestedAheadOneATick) {
  for (int i = 0; i < 12; ++i) display.modes_.push_back({800 + i, 600, 32});
  display.modes_.push_back({640, 480, 32});  // not offered: never tested
  const auto testAhead = [&] {
    int ticks = 0;
    while (timers.Running(TimerId::ModeTest) && ticks < 100) {
      const int before = display.tests_;
      program.OnModeTestTimer();
      EXPECT_LE(display.tests_ - before, 1);
      ++ticks;
    }
    return ticks;
  };
  program.Start();
  EXPECT_EQ(testAhead(), 14);  // the listing, twelve tests, and the tick that finds none left
  EXPECT_EQ(display.tests_, 12);
  program.OnTrayMessage(kTrayRightButtonUp);
  EXPECT_EQ(display.tests_, 12);  // the click tests nothing
  int offered = 0;
  for (const auto& entry : popups.shown_.back()) {
    for (const auto& child : entry.children) {
      offered += child.caption.find(u"Bit") != std::u16string::npos ? 1 : 0;
    }
  }
  EXPECT_EQ(offered, 12);

  // After a display change the answers are found again, ahead of the next click.
  program.OnDisplayChanged();
  testAhead();
  EXPECT_EQ(display.tests_, 24);
  program.OnTrayMessage(kTrayRightButtonUp);
  EXPECT_EQ(display.tests_, 24);

  // A click before the tests are done tests what is left, and no mode twice.
  program.OnDisplayChanged();
  for (int tick = 0; tick < 5; ++tick) program.OnModeTestTimer();
  program.OnTrayMessage(kTrayRightButtonUp);
  EXPECT_EQ(display.tests_, 36);
  EXPECT_EQ(testAhead(), 1);
  EXPECT_EQ(display.tests_, 36);
}

// The mark comes from the display's own mode, which the screen's scale leaves alone, so one
// case holds at every scale: the mode in use is checked (not its neighbour, what twips scaled
// with a rounded factor would give at 200 %), and choosing it only tests it, switching nothing.
TEST_F(TrayProgramTest, TheModeInUseIsCheckedAndChoosingItSwitchesNothing) {
  display.modes_ = {{1920, 1080, 32}, {3600, 2025, 32}, {3840, 2160, 32}};
  display.current_ = {3840, 2160, 32};
  files.files_[app + u"Marrowgate.ini"] = u"CLICK=SCREENSIZE\r\n";
  program.Start();
  popups.choose_ = u"3840x2160 32Bit";
  program.OnTrayMessage(kTrayLeftButtonUp);
  std::vector<std::u16string> checked;
  for (const auto& entry : popups.shown_.back()) {
    if (entry.checked) checked.push_back(entry.caption);
  }
  EXPECT_EQ(checked, std::vector<std::u16string>{u"3840x2160 32Bit"});
  ASSERT_FALSE(display.calls_.empty());
  for (const auto& call : display.calls_) EXPECT_EQ(call.flags, platform::kCdsTest);
}

}  // namespace
}  // namespace tidewarden

namespace tidewarden {
namespace {

TEST_F(TrayProgramTest, MonitorStartsFromItsFilesAndRunsOnTheCheckTimer) {
  files.files_[app + u"Process2.ini"] = u"ON\r\n";
  files.files_[app + u"Process.ini"] = u"C:\\APP\\A.EXE" + std::u16string(48, u' ') + u" HIGH\r\n";
  processes.running_ = {{7, 1, 8, u"C:\\APP\\A.EXE"}};
  program.Start();
  EXPECT_TRUE(state.MonitorOn);
  program.OnTrayMessage(kTrayRightButtonUp);
  EXPECT_TRUE(ShownChecked(u"プロセス監視/監視する"));
  EXPECT_FALSE(ShownChecked(u"プロセス監視/監視しない"));
  program.OnCheckTimer();
  EXPECT_EQ(processes.classes_[7], platform::PriorityClass::High);

  processes.classes_.clear();
  rig.state.PriorityWindowOpen = true;  // no pass while the window is open
  program.OnCheckTimer();
  EXPECT_TRUE(processes.classes_.empty());
}

TEST_F(TrayProgramTest, OneShotModeNeverMonitors) {
  files.files_[app + u"Process2.ini"] = u"ON\r\n";
  session.arguments_ = u"300";
  program.Start();
  EXPECT_FALSE(state.MonitorOn);
  program.OnCheckTimer();
  EXPECT_EQ(processes.snapshots_, 0);
}

TEST_F(TrayProgramTest, MonitorMenuCommands) {
  program.Start();
  popups.choose_ = u"監視する";
  program.OnTrayMessage(kTrayRightButtonUp);
  EXPECT_TRUE(ShownChecked(u"プロセス監視/監視しない"));
  EXPECT_TRUE(state.MonitorOn);
  EXPECT_EQ(files.files_[app + u"Process2.ini"], u"ON\r\n");
  popups.choose_ = u"監視しない";
  program.OnTrayMessage(kTrayRightButtonUp);
  EXPECT_TRUE(ShownChecked(u"プロセス監視/監視する"));
  EXPECT_FALSE(ShownChecked(u"プロセス監視/監視しない"));
  EXPECT_FALSE(state.MonitorOn);
  popups.choose_.reset();
  program.OnTrayMessage(kTrayRightButtonUp);
  EXPECT_FALSE(ShownChecked(u"プロセス監視/監視する"));
  EXPECT_TRUE(ShownChecked(u"プロセス監視/監視しない"));
  popups.choose_ = u"プロセス監視/設定の変更";
  program.OnTrayMessage(kTrayRightButtonUp);
  program.OnTrayMessage(kTrayRightButtonUp);
  EXPECT_EQ(windowHost.shown, 2);  // the host shows the one window again
}

}  // namespace
}  // namespace tidewarden
