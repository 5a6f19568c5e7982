#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// A committed region of the program's own address space.
struct CommittedRegion {
  std::uintptr_t base = 0;
  std::uint32_t bytes = 0;
};

class VirtualMemory {
 public:
  virtual ~VirtualMemory() = default;
  // Reserves and commits a read-write, uncached region in one call, at a place the system
  // chooses. Empty when the system refuses (no memory or address space left).
  virtual std::optional<CommittedRegion> CommitUncached(std::uint32_t bytes) = 0;
  // Writes a zero into every byte, so the system must supply a physical page for each page.
  virtual void FillWithZeros(const CommittedRegion& region) = 0;
  // Gives the pages back; the address range stays reserved until the process ends.
  virtual void Decommit(const CommittedRegion& region) = 0;
};

}  // namespace platform
