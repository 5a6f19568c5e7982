#pragma once

#include <cstdint>
#include <optional>

#include "platform/memory_status.h"

namespace tidewarden {

// Bytes to whole megabytes, an exact half going to the even neighbour.
std::int32_t BytesToMB(std::uint64_t bytes);

// Physical memory in whole megabytes, measured afresh at every call; empty when the system
// does not answer.
class MemoryFigures {
 public:
  explicit MemoryFigures(platform::MemoryStatus& status) : status_(status) {}

  std::optional<std::int32_t> TotalPhysicalMB();
  std::optional<std::int32_t> AvailablePhysicalMB();

 private:
  platform::MemoryStatus& status_;
};

}  // namespace tidewarden
