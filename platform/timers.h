#pragma once

#include <cstdint>

namespace platform {

enum class TimerId { Check = 1, Tooltip = 2, ModeTest = 3 };

// Timers whose ticks arrive as events on the user-interface thread.
class Timers {
 public:
  virtual ~Timers() = default;
  // Starts or restarts the timer: the next tick comes one full interval from now.
  virtual void Start(TimerId timer, std::uint32_t intervalMs) = 0;
  virtual void Stop(TimerId timer) = 0;
};

}  // namespace platform
