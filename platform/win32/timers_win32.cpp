#include "platform/win32/timers_win32.h"

namespace platform::win32 {

void TimersWin32::Start(TimerId timer, std::uint32_t intervalMs) {
  // Setting an existing timer again restarts its interval.
  SetTimer(window_, static_cast<UINT_PTR>(timer), intervalMs, nullptr);
}

void TimersWin32::Stop(TimerId timer) { KillTimer(window_, static_cast<UINT_PTR>(timer)); }

}  // namespace platform::win32
