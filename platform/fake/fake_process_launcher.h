#pragma once

#include <memory>
#include <vector>

#include "platform/fake/call_log.h"
#include "platform/fake/fake_own_process.h"
#include "platform/process_launcher.h"

namespace platform::fake {

// Starts nothing; records each start with the class the child gets by Windows' rule: the one
// named, else the parent's when that is idle or below normal, else normal.
class FakeProcessLauncher : public ProcessLauncher {
 public:
  explicit FakeProcessLauncher(CallLog& log, const FakeOwnProcess* parent = nullptr)
      : log_(log), parent_(parent) {}

  std::unique_ptr<StartedProgram> Start(const ProgramStart& program) override {
    log_.Add("Start " + std::string(program.commandLine.begin(), program.commandLine.end()));
    if (refuse_) return nullptr;
    started_.push_back(program);
    childClasses_.push_back(program.priority.value_or(InheritedClass()));
    running_.push_back(runsOn_);
    return std::make_unique<Run>(*this, running_.size() - 1);
  }

  // Every run started so far ends.
  void EndAll() { running_.assign(running_.size(), false); }
  int StillHeld() const { return held_; }

  bool refuse_ = false;
  bool runsOn_ = false;  // whether a new run is still running when asked
  std::vector<ProgramStart> started_;
  std::vector<PriorityClass> childClasses_;

 private:
  class Run : public StartedProgram {
   public:
    Run(FakeProcessLauncher& launcher, size_t index) : launcher_(launcher), index_(index) {
      ++launcher_.held_;
    }
    ~Run() override { --launcher_.held_; }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
    bool Running() override { return launcher_.running_.at(index_); }

   private:
    FakeProcessLauncher& launcher_;
    size_t index_;
  };

  PriorityClass InheritedClass() const {
    const auto parent = parent_ != nullptr ? parent_->priority_.value_or(PriorityClass::Normal)
                                           : PriorityClass::Normal;
    return parent == PriorityClass::Idle || parent == PriorityClass::BelowNormal
               ? parent
               : PriorityClass::Normal;
  }

  CallLog& log_;
  const FakeOwnProcess* parent_;
  std::vector<bool> running_;
  int held_ = 0;
};

}  // namespace platform::fake
