#include "tidewarden/release/release_policy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_memory_status.h"
#include "platform/fake/fake_process_launcher.h"
#include "platform/fake/fake_session.h"
#include "platform/fake/fake_timers.h"

namespace tidewarden {
namespace {

TEST(SplitRelease, RunsOfAtMost512AddingUpToTheSize) {
  const struct {
    std::int64_t size;
    std::vector<std::int32_t> runs;
  } cases[] = {
      {0, {}},      {-5, {}},        {1, {1}},           {301, {301}},
      {512, {512}}, {513, {512, 1}}, {1001, {512, 489}}, {1536, {512, 512, 512}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitRelease(c.size), c.runs) << c.size;
}

TEST(ScrubwrightStart, QuotedPathAndExplicitApplication) {
  const auto start = ScrubwrightStart(u"C:\\Program Files\\Tidewarden\\", 257);
  EXPECT_EQ(start.application, u"C:\\Program Files\\Tidewarden\\Scrubwright\\Scrubwright.exe");
  EXPECT_EQ(start.commandLine,
            u"\"C:\\Program Files\\Tidewarden\\Scrubwright\\Scrubwright.exe\" 257");
  EXPECT_EQ(start.style, platform::WindowStyle::Minimized);
  EXPECT_EQ(start.priority, platform::PriorityClass::Idle);
  EXPECT_FALSE(start.startFeedback);
}

struct ReleaseTest : ::testing::Test {
  platform::fake::CallLog log;
  platform::fake::FakeMemoryStatus status;
  platform::fake::FakeProcessLauncher launcher{log};
  platform::fake::FakeTimers timers{log};
  platform::fake::FakeAppLifetime lifetime{log};
  ProgramState state;
  MemoryFigures memory{status};
  ReleasePolicy policy{state, memory, launcher, timers, lifetime};

  void SetUp() override {
    state.AppPath = u"C:\\T\\";
    timers.Start(platform::TimerId::Check, 6000);
    log.calls.clear();
  }
  std::vector<std::string> Sizes() const {
    std::vector<std::string> sizes;
    for (const auto& s : launcher.started_) {
      const auto line = s.commandLine.substr(s.commandLine.rfind(u' ') + 1);
      sizes.emplace_back(line.begin(), line.end());
    }
    return sizes;
  }
};

TEST_F(ReleaseTest, NeedsReleaseIsStrictlyBelowTheThreshold) {
  const struct {
    std::uint64_t total;
    std::uint64_t available;
    double threshold;
    bool needed;
  } cases[] = {
      {256, 70, 0.25, false},    // 0.273
      {256, 60, 0.25, true},     // 0.234
      {256, 64, 0.25, false},    // exactly the threshold
      {1000, 100, 0.10, false},  // the same, with a threshold the double rounds up
      {1000, 299, 0.30, true},  {24576, 20000, 0.25, false},
      {24576, 300, 0.25, true}, {256, 0, 0.0, false},
  };
  for (const auto& c : cases) {
    status.SetMB(c.total, c.available);
    state.ReleaseRatio = c.threshold;
    EXPECT_EQ(policy.NeedsRelease(), c.needed) << c.total << " " << c.available;
  }
  status.answer_.reset();
  EXPECT_EQ(policy.NeedsRelease(), std::nullopt);
  status.SetMB(0, 0);
  EXPECT_EQ(policy.NeedsRelease(), std::nullopt);
}

TEST_F(ReleaseTest, EachAutomaticReleaseAsksForOneMore) {
  status.SetMB(256, 60);
  policy.OnCheckTimer();
  policy.OnCheckTimer();
  EXPECT_EQ(Sizes(), (std::vector<std::string>{"61", "62"}));
  EXPECT_EQ(state.ReleaseCount, 2);
  for (int i = 0; i < 3; ++i) policy.OnCheckTimer();
  status.SetMB(256, 10);
  launcher.started_.clear();
  policy.OnCheckTimer();
  EXPECT_EQ(Sizes(), (std::vector<std::string>{"16"}));  // free + 6 at the sixth
}

TEST_F(ReleaseTest, NoReleaseAboveTheThreshold) {
  status.SetMB(256, 70);
  policy.OnCheckTimer();
  EXPECT_TRUE(launcher.started_.empty());
  EXPECT_EQ(state.ReleaseCount, 0);
  EXPECT_TRUE(log.calls.empty());  // the check timer is left alone too
}

TEST_F(ReleaseTest, ReleaseRestartsTheCheckTimerAtItsOwnInterval) {
  state.CheckInterval = 15000;  // SEEK=15000: a release must not fall back to 6000
  status.SetMB(24576, 1000);
  policy.AutoRelease();
  EXPECT_EQ(log.calls,
            (std::vector<std::string>{
                "TimerStop 1", "Start \"C:\\T\\Scrubwright\\Scrubwright.exe\" 512",
                "Start \"C:\\T\\Scrubwright\\Scrubwright.exe\" 489", "TimerStart 1 15000"}));
}

TEST_F(ReleaseTest, NoReleaseAsksForMoreThanTheWholeMemory) {
  const struct {
    std::int32_t count;  // automatic releases before this one
    std::vector<std::string> sizes;
  } cases[] = {
      {0, {"61"}},    {194, {"255"}},    {195, {"256"}},
      {196, {"256"}}, {100000, {"256"}},  // a working day of low memory
  };
  for (const auto& c : cases) {
    status.SetMB(256, 60);
    state.ReleaseCount = c.count;
    launcher.started_.clear();
    policy.OnCheckTimer();
    EXPECT_EQ(Sizes(), c.sizes) << c.count;
  }
}

TEST_F(ReleaseTest, AMissingScrubwrightLeavesTheCheckTimerRunning) {
  launcher.refuse_ = true;
  status.SetMB(24576, 2000);
  policy.AutoRelease();
  EXPECT_EQ(log.calls, (std::vector<std::string>{
                           "TimerStop 1", "Start \"C:\\T\\Scrubwright\\Scrubwright.exe\" 512",
                           "TimerStart 1 6000"}));
  EXPECT_TRUE(timers.Running(platform::TimerId::Check));
}

TEST_F(ReleaseTest, ManualReleaseFreesWhatIsInUse) {
  status.SetMB(256, 100);
  state.ReleaseCount = 3;
  policy.ReleaseInUseMemory();
  EXPECT_EQ(Sizes(), (std::vector<std::string>{"156"}));
  EXPECT_EQ(state.ReleaseCount, 3);
  EXPECT_TRUE(timers.Running(platform::TimerId::Check));
}

TEST_F(ReleaseTest, OneShotReleasesUntilTheTargetIsFree) {
  state.OneShotMode = true;
  state.OneShotTargetMB = 300;
  status.SetMB(1024, 120);
  policy.OnCheckTimer();
  EXPECT_EQ(Sizes(), (std::vector<std::string>{"121"}));
  EXPECT_FALSE(lifetime.quit_);

  status.SetMB(1024, 300);  // exactly the target
  policy.OnCheckTimer();
  EXPECT_TRUE(lifetime.quit_);
  EXPECT_EQ(launcher.started_.size(), 1u);
}

TEST_F(ReleaseTest, OneShotThatCannotReleaseEndsAtItsFirstTick) {
  const struct {
    const char* why;
    double target;
    std::uint64_t total;
  } cases[] = {
      {"no number", 0, 256},
      {"the whole memory", 256, 256},
      {"more than the whole memory", 5000, 256},
      {"just above", 256.5, 256},
  };
  for (const auto& c : cases) {
    state.OneShotMode = true;
    state.OneShotTargetMB = c.target;
    status.SetMB(c.total, 0);
    lifetime.quit_ = false;
    policy.OnCheckTimer();
    EXPECT_TRUE(lifetime.quit_) << c.why;
    EXPECT_TRUE(launcher.started_.empty()) << c.why;
  }
}

// A run without an icon must end by itself when releasing cannot reach the target: nothing
// else would ever stop it.
TEST_F(ReleaseTest, OneShotEndsWhenReleasingCannotHelp) {
  const struct {
    const char* why;
    bool scrubwrightMissing;
    std::vector<std::uint64_t> freeAtTicks;  // target 8000 of 8130 MB
    size_t ticksToEnd;                       // 0: still running after the last tick
    std::int32_t releases;                   // tried
  } cases[] = {
      {"Scrubwright cannot be started", true, {100}, 1, 1},
      {"two releases in a row free nothing", false, {100, 100, 90}, 3, 2},
      {"one release frees nothing, the next frees some", false, {100, 100, 150, 160}, 0, 4},
      {"every release frees some", false, {100, 200, 300, 400}, 0, 4},
      {"freed again after one that did not", false, {100, 50, 200, 200, 200}, 5, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    ReleasePolicy subject{state, memory, launcher, timers, lifetime};
    state.OneShotMode = true;
    state.OneShotTargetMB = 8000;
    launcher.refuse_ = c.scrubwrightMissing;
    state.ReleaseCount = 0;
    lifetime.quit_ = false;
    size_t endedAt = 0;
    for (size_t tick = 0; tick < c.freeAtTicks.size() && endedAt == 0; ++tick) {
      status.SetMB(8130, c.freeAtTicks[tick]);
      subject.OnCheckTimer();
      if (lifetime.quit_) endedAt = tick + 1;
    }
    EXPECT_EQ(endedAt, c.ticksToEnd);
    EXPECT_EQ(state.ReleaseCount, c.releases);
  }
}

// A fill that outlasts a tick holds memory the next tick counts as used: starting another
// would fill the same memory again, tick after tick, until the commit charge runs out.
TEST_F(ReleaseTest, NoReleaseStartsWhileARunOfTheLastStillFills) {
  const struct {
    const char* why;
    bool oneShot;
    void (*release)(ReleasePolicy&);
    std::int32_t countPerRelease;
  } cases[] = {
      {"automatic", false, [](ReleasePolicy& p) { p.OnCheckTimer(); }, 1},
      {"manual", false, [](ReleasePolicy& p) { p.ReleaseInUseMemory(); }, 0},
      {"one-shot", true, [](ReleasePolicy& p) { p.OnCheckTimer(); }, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    {
      ReleasePolicy subject{state, memory, launcher, timers, lifetime};
      state.OneShotMode = c.oneShot;
      state.OneShotTargetMB = 8000;
      state.ReleaseCount = 0;
      launcher.started_.clear();
      launcher.runsOn_ = true;
      status.SetMB(8192, 1000);  // a release of several runs
      c.release(subject);
      const size_t runs = launcher.started_.size();
      ASSERT_GE(runs, 2u);

      launcher.EndAll();
      launcher.runsOn_ = true;
      c.release(subject);  // the first release has ended: this one starts
      ASSERT_EQ(launcher.started_.size(), 2 * runs);
      EXPECT_EQ(launcher.StillHeld(), static_cast<int>(runs));  // the ended runs were let go

      for (int tick = 0; tick < 3; ++tick) c.release(subject);
      EXPECT_EQ(launcher.started_.size(), 2 * runs);
      EXPECT_EQ(state.ReleaseCount, 2 * c.countPerRelease);
      EXPECT_TRUE(timers.Running(platform::TimerId::Check));
      EXPECT_FALSE(lifetime.quit_);  // waiting is not a release that freed nothing
    }
    EXPECT_EQ(launcher.StillHeld(), 0);
  }
}

TEST_F(ReleaseTest, UnknownFiguresSkipTheTick) {
  status.answer_.reset();
  policy.OnCheckTimer();
  policy.ReleaseInUseMemory();
  state.OneShotMode = true;
  state.OneShotTargetMB = 300;
  policy.OnCheckTimer();
  EXPECT_TRUE(launcher.started_.empty());
  EXPECT_FALSE(lifetime.quit_);
  EXPECT_TRUE(timers.Running(platform::TimerId::Check));
}

}  // namespace
}  // namespace tidewarden
