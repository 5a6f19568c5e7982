#pragma once

namespace platform {

// A moment of the local calendar, as the user's clock shows it.
struct LocalTime {
  int year = 2000;
  int month = 1;      // 1 to 12
  int day = 1;        // 1 to 31
  int dayOfWeek = 6;  // 0 = Sunday to 6 = Saturday
  int hour = 0;       // 0 to 23
  int minute = 0;
  int second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
};

}  // namespace platform
