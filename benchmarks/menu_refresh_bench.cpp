// The resolution submenu's refresh against a slow driver: 400 listed modes, 2 ms per mode
// test; and a click on the tray icon up to its menu, with 20 ms per mode test, before and
// after the modes were tested ahead; and the start-up. Reports the
// tests per refresh next to the time, so a cache that stops working shows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "platform/fake/fake_display.h"
#include "platform/fake/fake_message_boxes.h"
#include "tidewarden/display/display_modes.h"
#include "tidewarden/fake_ports.h"
#include "tidewarden/tray/menu_refresh.h"
#include "tidewarden/tray_program.h"

namespace {

class SlowDisplay : public platform::fake::FakeDisplay {
 public:
  explicit SlowDisplay(std::chrono::milliseconds testCost = std::chrono::milliseconds(2))
      : testCost_(testCost) {}
  std::int32_t ChangeSettings(const platform::DisplayMode& mode, std::uint32_t flags) override {
    if (flags == platform::kCdsTest) std::this_thread::sleep_for(testCost_);
    return FakeDisplay::ChangeSettings(mode, flags);
  }

 private:
  std::chrono::milliseconds testCost_;
};

// 400 listings as drivers give them: every size and depth at several refresh rates, some of
// them too small or of a depth that is never offered.
void FillModes(SlowDisplay& display) {
  const int widths[] = {640, 800, 1024, 1152, 1280, 1360, 1440, 1600, 1680, 1920};
  const short depths[] = {8, 16, 32, 24};
  while (display.modes_.size() < 400) {
    for (int width : widths) {
      for (short bits : depths) {
        for (int rate = 0; rate < 10 && display.modes_.size() < 400; ++rate) {
          display.modes_.push_back({width, width * 3 / 4, bits});
        }
      }
    }
  }
}

// 400 listings that are all different modes: the 30-slot cap decides how many get tested.
void FillDistinctModes(SlowDisplay& display) {
  for (int i = 0; i < 400; ++i) display.modes_.push_back({800 + i, 600, 32});
}

void RunRefreshes(benchmark::State& state, void (*fill)(SlowDisplay&)) {
  SlowDisplay display;
  fill(display);
  platform::fake::CallLog log;
  platform::fake::FakeMessageBoxes boxes{log};
  tidewarden::MenuTree menu;
  tidewarden::DisplayModes modes{display, boxes};
  int refreshes = 0;
  for (auto _ : state) {
    tidewarden::WriteResolutionItems(menu, modes.SlotModes(), modes.ModeInUse());
    ++refreshes;
  }
  state.counters["mode_tests_per_refresh"] =
      static_cast<double>(display.tests_) / static_cast<double>(refreshes);
  state.counters["listed_modes"] = static_cast<double>(display.modes_.size());
}

void BM_BuildResolutionMenu400Listings(benchmark::State& state) { RunRefreshes(state, FillModes); }
BENCHMARK(BM_BuildResolutionMenu400Listings)->Unit(benchmark::kMillisecond);

void BM_BuildResolutionMenu400Distinct(benchmark::State& state) {
  RunRefreshes(state, FillDistinctModes);
}
BENCHMARK(BM_BuildResolutionMenu400Distinct)->Unit(benchmark::kMillisecond);

// The popup notes when it is asked to show the menu: the time a user waits after a click.
class TimedPopups : public platform::fake::FakePopupMenus {
 public:
  std::optional<int> Track(const std::vector<platform::MenuEntry>& entries,
                           platform::PopupAlign align,
                           std::optional<platform::ScreenPoint> at) override {
    shownAt_ = std::chrono::steady_clock::now();
    return FakePopupMenus::Track(entries, align, at);
  }
  std::chrono::steady_clock::time_point shownAt_;
};

// The tray program with every port faked, a driver whose mode test costs 20 ms and thirty
// different modes, all of which pass.
struct ClickMachine : tidewarden::FakePorts {
  SlowDisplay slowDisplay{std::chrono::milliseconds(20)};
  TimedPopups timedPopups;
  tidewarden::TrayRig rig{*this, slowDisplay, timedPopups};
  tidewarden::TrayProgram& program = rig.program;

  explicit ClickMachine(bool start = true) {
    const int sizes[][2] = {{800, 600},  {1024, 768}, {1152, 864},  {1280, 720},  {1280, 1024},
                            {1366, 768}, {1600, 900}, {1680, 1050}, {1920, 1080}, {2560, 1440}};
    for (const auto& size : sizes) {
      for (const std::int16_t bits : {std::int16_t{16}, std::int16_t{24}, std::int16_t{32}}) {
        slowDisplay.modes_.push_back({size[0], size[1], bits});
      }
    }
    slowDisplay.current_ = {1920, 1080, 32};
    if (start) program.Start();
  }

  // The mode tests done ahead, one a tick as the timer would; the longest tick in seconds.
  double TestModesAhead() {
    double longest = 0;
    while (timers.Running(platform::TimerId::ModeTest)) {
      const auto began = std::chrono::steady_clock::now();
      program.OnModeTestTimer();
      longest = std::max(
          longest, std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
    }
    return longest;
  }

  // A right click on the tray icon; the seconds until the menu is shown.
  double RightClick() {
    const auto clicked = std::chrono::steady_clock::now();
    program.OnTrayMessage(tidewarden::kTrayRightButtonUp);
    return std::chrono::duration<double>(timedPopups.shownAt_ - clicked).count();
  }

  // Mode entries in the last menu shown, so a faster menu that lost entries shows.
  double ModeEntries() const {
    int count = 0;
    for (const auto& entry : timedPopups.shown_.back()) {
      if (entry.caption != u"解像度変更") continue;
      for (const auto& mode : entry.children) {
        if (mode.caption.find(u"Bit") != std::u16string::npos) ++count;
      }
    }
    return count;
  }
};

void BM_RightClickToMenuFirstClick(benchmark::State& state) {
  double entries = 0;
  int tests = 0;
  for (auto _ : state) {
    ClickMachine machine;
    state.SetIterationTime(machine.RightClick());
    entries = machine.ModeEntries();
    tests += machine.slowDisplay.tests_;
  }
  state.counters["mode_entries"] = entries;
  state.counters["mode_tests_per_click"] =
      benchmark::Counter(tests, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RightClickToMenuFirstClick)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// The first click once the modes were tested ahead, a tick at a time after the icon was
// shown; longest_tick_ms is the most the window's messages waited for one tick.
void BM_RightClickToMenuFirstClickAfterTestingAhead(benchmark::State& state) {
  double entries = 0;
  double longest = 0;
  int tests = 0;
  for (auto _ : state) {
    ClickMachine machine;
    longest = std::max(longest, machine.TestModesAhead());
    const int testsAhead = machine.slowDisplay.tests_;
    state.SetIterationTime(machine.RightClick());
    entries = machine.ModeEntries();
    tests += machine.slowDisplay.tests_ - testsAhead;
  }
  state.counters["mode_entries"] = entries;
  state.counters["longest_tick_ms"] = longest * 1000;
  state.counters["mode_tests_per_click"] =
      benchmark::Counter(tests, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RightClickToMenuFirstClickAfterTestingAhead)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// The tray program's start, up to the icon and hwnd.tmp: what testing ahead must not slow.
void BM_StartUp(benchmark::State& state) {
  for (auto _ : state) {
    ClickMachine machine(false);
    const auto began = std::chrono::steady_clock::now();
    machine.program.Start();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
  }
}
BENCHMARK(BM_StartUp)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_RightClickToMenuLaterClicks(benchmark::State& state) {
  ClickMachine machine;
  machine.RightClick();
  const int testsBefore = machine.slowDisplay.tests_;
  for (auto _ : state) state.SetIterationTime(machine.RightClick());
  state.counters["mode_entries"] = machine.ModeEntries();
  state.counters["mode_tests_per_click"] = benchmark::Counter(
      machine.slowDisplay.tests_ - testsBefore, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RightClickToMenuLaterClicks)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
