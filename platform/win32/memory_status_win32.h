#pragma once

#include "platform/memory_status.h"

namespace platform::win32 {

class MemoryStatusWin32 : public MemoryStatus {
 public:
  // The 64-bit status: the old 32-bit one saturates at 2 GB.
  std::optional<PhysicalMemory> Query() override;
};

}  // namespace platform::win32
