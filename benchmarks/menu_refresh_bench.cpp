// The resolution submenu's refresh against a slow driver: 400 listed modes, 2 ms per mode
// test. Reports the tests per refresh next to the time, so a cache that stops working shows.
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "platform/fake/fake_display.h"
#include "platform/fake/fake_message_boxes.h"
#include "tidewarden/display/display_modes.h"

namespace {

class SlowDisplay : public platform::fake::FakeDisplay {
 public:
  std::int32_t ChangeSettings(const platform::DisplayMode& mode, std::uint32_t flags) override {
    if (flags == platform::kCdsTest) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return FakeDisplay::ChangeSettings(mode, flags);
  }
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
  tidewarden::ProgramState program;
  tidewarden::DisplayModes modes{display, boxes, menu, program};
  int refreshes = 0;
  for (auto _ : state) {
    modes.BuildResolutionMenu(96, 96);
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

}  // namespace
