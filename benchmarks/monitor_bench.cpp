// The process monitor against a busy machine: 500 running processes, 200 watch entries.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/fake/fake_files.h"
#include "platform/fake/fake_message_boxes.h"
#include "platform/fake/fake_processes.h"
#include "tidewarden/monitor/priority_window.h"
#include "tidewarden/monitor/watch_entry.h"

namespace {

struct Machine {
  platform::fake::CallLog log;
  platform::fake::FakeFiles files{log};
  platform::fake::FakeProcesses processes{log};
  platform::fake::FakeMessageBoxes boxes{log};
  tidewarden::ProgramState state;
  tidewarden::ProcessMonitor monitor{state, files, processes, boxes};

  Machine() {
    state.AppPath = u"C:\\T\\";
    for (std::uint32_t i = 0; i < 500; ++i) {
      const std::string name = "C:\\Program Files\\Vendor " + std::to_string(i % 97) +
                               "\\Application" + std::to_string(i) + ".exe";
      processes.running_.push_back({i * 4 + 100, 8, 8, std::u16string(name.begin(), name.end())});
    }
    std::vector<std::u16string> entries;
    for (std::uint32_t i = 0; i < 200; ++i) {
      // Every other entry names a running program; the rest are not running.
      const auto& path = processes.running_[i * 2].szExeFile;
      entries.push_back(tidewarden::PathField(i % 2 ? path + u"x" : path) + u" HIGH      ");
    }
    files.files_[u"C:\\T\\Process.ini"] = tidewarden::WatchListText(entries);
    monitor.LoadWatchList();
  }
};

void BM_EnforcePriorities500x200(benchmark::State& state) {
  Machine machine;
  for (auto _ : state) {
    machine.monitor.EnforcePriorities();
    machine.log.calls.clear();
  }
}
BENCHMARK(BM_EnforcePriorities500x200)->Unit(benchmark::kMicrosecond);

void BM_RefreshRunningList500(benchmark::State& state) {
  Machine machine;
  tidewarden::PriorityWindow window{
      {machine.monitor, machine.state, machine.files, machine.processes}, machine.boxes};
  window.Open();
  window.OnRunningRowClicked(250);
  std::uint32_t turn = 0;
  for (auto _ : state) {
    // A few processes change between refreshes, as they do on a real machine.
    machine.processes.running_[turn % 500].cntThreads = turn % 13;
    window.RefreshRunningList();
    ++turn;
  }
}
BENCHMARK(BM_RefreshRunningList500)->Unit(benchmark::kMicrosecond);

}  // namespace
