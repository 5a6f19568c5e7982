#pragma once

#include <vector>

#include "platform/fake/call_log.h"
#include "platform/process_launcher.h"

namespace platform::fake {

class FakeProcessLauncher : public ProcessLauncher {
 public:
  explicit FakeProcessLauncher(CallLog& log) : log_(log) {}

  bool Start(const ProgramStart& program) override {
    log_.Add("Start " + std::string(program.commandLine.begin(), program.commandLine.end()));
    if (refuse_) return false;
    started_.push_back(program);
    return true;
  }

  bool refuse_ = false;
  std::vector<ProgramStart> started_;

 private:
  CallLog& log_;
};

}  // namespace platform::fake
