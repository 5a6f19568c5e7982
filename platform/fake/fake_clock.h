#pragma once

#include "platform/clock.h"

namespace platform::fake {

class FakeClock : public Clock {
 public:
  LocalTime Now() override { return now_; }
  LocalTime now_{2026, 12, 6, 0, 4, 5, 0};  // a Sunday, 4:05
};

}  // namespace platform::fake
