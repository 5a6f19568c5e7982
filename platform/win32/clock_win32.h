#pragma once

#include "platform/clock.h"

namespace platform::win32 {

class ClockWin32 : public Clock {
 public:
  LocalTime Now() override;
};

}  // namespace platform::win32
