#include "platform/win32/clock_win32.h"

#include <windows.h>

namespace platform::win32 {

LocalTime ClockWin32::Now() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wDayOfWeek, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace platform::win32
