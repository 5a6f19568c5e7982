#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/fake/call_log.h"
#include "platform/shell_windows.h"

namespace platform::fake {

// A "Progman" window that goes away after a scripted number of searches (or never).
class FakeShellWindows : public ShellWindows {
 public:
  explicit FakeShellWindows(CallLog& log) : log_(log) {}

  std::optional<std::uintptr_t> FindByClass(const std::u16string& className) override {
    ++searches_;
    if (className != u"Progman" || !present_) return std::nullopt;
    if (goneAfterSearches_ >= 0 && searches_ > goneAfterSearches_) return std::nullopt;
    return window_;
  }
  void PostQuit(std::uintptr_t window) override { log_.Add("PostQuit " + std::to_string(window)); }

  bool present_ = true;
  int goneAfterSearches_ = -1;  // -1: never goes
  std::uintptr_t window_ = 0x1234;
  int searches_ = 0;

 private:
  CallLog& log_;
};

// Time passes only when the program sleeps.
class FakeEventPump : public EventPump {
 public:
  void RunPending() override {
    ++pumps_;
    if (onPump_) onPump_();
  }
  void Sleep(std::uint32_t ms) override { now_ += ms; }
  std::uint64_t MonotonicMs() override { return now_; }

  std::uint64_t now_ = 1000;
  int pumps_ = 0;
  void (*onPump_)() = nullptr;
};

}  // namespace platform::fake
