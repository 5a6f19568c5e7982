#include "platform/win32/memory_status_win32.h"

#include <windows.h>

namespace platform::win32 {

std::optional<PhysicalMemory> MemoryStatusWin32::Query() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return std::nullopt;
  return PhysicalMemory{status.ullTotalPhys, status.ullAvailPhys};
}

}  // namespace platform::win32
