#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// Top-level windows of other programs, found by their window class.
class ShellWindows {
 public:
  virtual ~ShellWindows() = default;
  virtual std::optional<std::uintptr_t> FindByClass(const std::u16string& className) = 0;
  // Asks the window's thread to end (WM_QUIT).
  virtual void PostQuit(std::uintptr_t window) = 0;
};

// Waiting without freezing: the program's own events go on while it waits.
class EventPump {
 public:
  virtual ~EventPump() = default;
  // Handles the events that are waiting now, then returns.
  virtual void RunPending() = 0;
  virtual void Sleep(std::uint32_t ms) = 0;
  virtual std::uint64_t MonotonicMs() = 0;
};

}  // namespace platform
