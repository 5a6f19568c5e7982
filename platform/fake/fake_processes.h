#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/call_log.h"
#include "platform/processes.h"

namespace platform::fake {

class FakeProcesses : public Processes {
 public:
  explicit FakeProcesses(CallLog& log) : log_(log) {}

  std::optional<std::vector<ProcessRecord>> Snapshot() override {
    ++snapshots_;
    if (snapshotFails_) return std::nullopt;
    if (!changing_.empty()) {
      running_ = changing_[static_cast<size_t>(snapshots_) % changing_.size()];
    }
    return running_;
  }
  bool SetPriorityClass(std::uint32_t processId, PriorityClass priority) override {
    log_.Add("SetPriorityClass " + std::to_string(processId) + " " +
             std::to_string(static_cast<unsigned>(priority)));
    if (unopenable_.count(processId) != 0) return false;
    if (!changing_.empty()) {
      // Only a process of the last snapshot can still be opened.
      bool running = false;
      for (const auto& record : running_) running = running || record.th32ProcessID == processId;
      if (!running) return false;
    }
    classes_[processId] = priority;
    return true;
  }

  std::vector<ProcessRecord> running_;
  // When set, each snapshot shows the next of these tables in turn: processes end, start and
  // reuse ids between two calls.
  std::vector<std::vector<ProcessRecord>> changing_;
  bool snapshotFails_ = false;
  std::set<std::uint32_t> unopenable_;
  std::map<std::uint32_t, PriorityClass> classes_;
  int snapshots_ = 0;

 private:
  CallLog& log_;
};

}  // namespace platform::fake
