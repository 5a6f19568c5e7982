#pragma once

#include <cstdint>
#include <optional>

namespace platform {

struct PhysicalMemory {
  std::uint64_t totalBytes = 0;
  std::uint64_t availableBytes = 0;
};

class MemoryStatus {
 public:
  virtual ~MemoryStatus() = default;
  virtual std::optional<PhysicalMemory> Query() = 0;
};

}  // namespace platform
