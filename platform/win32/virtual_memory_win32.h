#pragma once

#include "platform/virtual_memory.h"

namespace platform::win32 {

class VirtualMemoryWin32 : public VirtualMemory {
 public:
  std::optional<CommittedRegion> CommitUncached(std::uint32_t bytes) override;
  void FillWithZeros(const CommittedRegion& region) override;
  void Decommit(const CommittedRegion& region) override;
};

}  // namespace platform::win32
