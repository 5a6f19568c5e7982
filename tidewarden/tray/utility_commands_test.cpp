#include "tidewarden/tray/utility_commands.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_files.h"
#include "platform/fake/fake_process_launcher.h"
#include "platform/fake/fake_shell_windows.h"

namespace tidewarden {
namespace {

struct UtilityTest : ::testing::Test {
  platform::fake::CallLog log;
  platform::fake::FakeFiles files{log};
  platform::fake::FakeProcessLauncher launcher{log};
  platform::fake::FakeShellWindows windows{log};
  platform::fake::FakeEventPump pump;
  ProgramState state;
  UtilityCommands commands{state, files, launcher, windows, pump};

  void SetUp() override {
    state.AppPath = u"C:\\Program Files\\Tidewarden\\";
    state.WinDir = u"C:\\WINDOWS";
  }
};

TEST_F(UtilityTest, ExplorerIsStartedOnceItsWindowIsGone) {
  windows.goneAfterSearches_ = 4;
  commands.RestartExplorer();
  EXPECT_EQ(log.calls,
            (std::vector<std::string>{"PostQuit 4660", "Start \"C:\\WINDOWS\\explorer.exe\""}));
  EXPECT_EQ(pump.pumps_, 3);  // its own events ran while it waited
  ASSERT_EQ(launcher.started_.size(), 1u);
  EXPECT_EQ(launcher.started_[0].application, u"C:\\WINDOWS\\explorer.exe");
  EXPECT_EQ(launcher.started_[0].style, platform::WindowStyle::Minimized);
}

TEST_F(UtilityTest, ExplorerThatNeverGoesIsLeftAloneAfterThirtySeconds) {
  const std::uint64_t start = pump.now_;
  commands.RestartExplorer();
  EXPECT_EQ(log.calls, (std::vector<std::string>{"PostQuit 4660"}));
  EXPECT_GE(pump.now_ - start, 30000u);
  EXPECT_LT(pump.now_ - start, 31000u);
  EXPECT_TRUE(launcher.started_.empty());

  // A wait that gave up does not stand in the way of the next restart.
  windows.goneAfterSearches_ = windows.searches_ + 2;
  commands.RestartExplorer();
  EXPECT_EQ(launcher.started_.size(), 1u);
}

TEST_F(UtilityTest, NoShellWindowStartsExplorerAtOnce) {
  windows.present_ = false;
  commands.RestartExplorer();
  EXPECT_EQ(log.calls, (std::vector<std::string>{"Start \"C:\\WINDOWS\\explorer.exe\""}));
  EXPECT_EQ(pump.pumps_, 0);
}

UtilityCommands* reentered = nullptr;

TEST_F(UtilityTest, ASecondRestartDuringTheWaitIsIgnored) {
  windows.goneAfterSearches_ = 3;
  reentered = &commands;
  pump.onPump_ = [] { reentered->RestartExplorer(); };
  commands.RestartExplorer();
  EXPECT_EQ(launcher.started_.size(), 1u);
  EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "PostQuit 4660"), 1);
}

TEST_F(UtilityTest, MixerIsLookedForInOrder) {
  const struct {
    std::vector<std::u16string> present;
    std::u16string started;
  } cases[] = {
      {{u"C:\\WINDOWS\\SNDVOL32.EXE", u"C:\\WINDOWS\\system32\\SNDVOL32.EXE"},
       u"C:\\WINDOWS\\SNDVOL32.EXE"},
      {{u"C:\\WINDOWS\\system32\\SNDVOL32.EXE"}, u"C:\\WINDOWS\\system32\\SNDVOL32.EXE"},
      {{u"C:\\WINDOWS\\system32\\SndVol.exe"}, u"C:\\WINDOWS\\system32\\SndVol.exe"},
      {{}, u""},
  };
  for (const auto& c : cases) {
    files.files_.clear();
    launcher.started_.clear();
    for (const auto& path : c.present) files.files_[path] = u"";
    commands.OpenVolumeMixer();
    if (c.started.empty()) {
      EXPECT_TRUE(launcher.started_.empty());
    } else {
      ASSERT_EQ(launcher.started_.size(), 1u);
      EXPECT_EQ(launcher.started_[0].application, c.started);
      EXPECT_EQ(launcher.started_[0].commandLine, u"\"" + c.started + u"\"");
    }
  }
  // A hidden mixer counts as missing.
  files.files_.clear();
  launcher.started_.clear();
  files.files_[u"C:\\WINDOWS\\SNDVOL32.EXE"] = u"";
  files.hidden_.insert(u"C:\\WINDOWS\\SNDVOL32.EXE");
  files.files_[u"C:\\WINDOWS\\system32\\SNDVOL32.EXE"] = u"";
  commands.OpenVolumeMixer();
  EXPECT_EQ(launcher.started_.at(0).application, u"C:\\WINDOWS\\system32\\SNDVOL32.EXE");
}

TEST_F(UtilityTest, SettingsProgramsFromTheProgramFolder) {
  commands.OpenConfigProgram();
  commands.OpenToolSettings();
  launcher.refuse_ = true;
  commands.OpenToolSettings();  // a program that cannot be started changes nothing
  ASSERT_EQ(launcher.started_.size(), 2u);
  EXPECT_EQ(launcher.started_[0].commandLine, u"\"C:\\Program Files\\Tidewarden\\Config.exe\"");
  EXPECT_EQ(launcher.started_[1].application, u"C:\\Program Files\\Tidewarden\\Marrowgate.exe");
  EXPECT_EQ(launcher.started_[1].style, platform::WindowStyle::Normal);
}

}  // namespace
}  // namespace tidewarden
