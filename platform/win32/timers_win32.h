#pragma once

#include <windows.h>

#include "platform/timers.h"

namespace platform::win32 {

// Timers of a window: each tick arrives as WM_TIMER with the timer's id.
class TimersWin32 : public Timers {
 public:
  explicit TimersWin32(HWND window) : window_(window) {}
  void Start(TimerId timer, std::uint32_t intervalMs) override;
  void Stop(TimerId timer) override;

 private:
  HWND window_;
};

}  // namespace platform::win32
