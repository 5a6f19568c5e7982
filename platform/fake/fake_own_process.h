#pragma once

#include <optional>
#include <string>

#include "platform/fake/call_log.h"
#include "platform/own_process.h"

namespace platform::fake {

class FakeOwnProcess : public OwnProcess {
 public:
  explicit FakeOwnProcess(CallLog& log) : log_(log) {}

  void SetPriorityClass(PriorityClass priority) override {
    priority_ = priority;
    log_.Add("SetPriorityClass " + std::to_string(static_cast<unsigned>(priority)));
  }

  std::optional<PriorityClass> priority_;

 private:
  CallLog& log_;
};

}  // namespace platform::fake
