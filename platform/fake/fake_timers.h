#pragma once

#include <map>
#include <string>

#include "platform/fake/call_log.h"
#include "platform/timers.h"

namespace platform::fake {

class FakeTimers : public Timers {
 public:
  explicit FakeTimers(CallLog& log) : log_(log) {}

  void Start(TimerId timer, std::uint32_t intervalMs) override {
    log_.Add("TimerStart " + std::to_string(static_cast<int>(timer)) + " " +
             std::to_string(intervalMs));
    running_[timer] = intervalMs;
  }
  void Stop(TimerId timer) override {
    log_.Add("TimerStop " + std::to_string(static_cast<int>(timer)));
    running_.erase(timer);
  }
  bool Running(TimerId timer) const { return running_.count(timer) != 0; }
  std::uint32_t Interval(TimerId timer) const { return running_.at(timer); }

  std::map<TimerId, std::uint32_t> running_;

 private:
  CallLog& log_;
};

}  // namespace platform::fake
