#include "platform/win32/virtual_memory_win32.h"

#include <windows.h>

#include <cstring>

namespace platform::win32 {

std::optional<CommittedRegion> VirtualMemoryWin32::CommitUncached(std::uint32_t bytes) {
  void* base = VirtualAlloc(nullptr, bytes, MEM_COMMIT, PAGE_READWRITE | PAGE_NOCACHE);
  if (base == nullptr) return std::nullopt;
  return CommittedRegion{reinterpret_cast<std::uintptr_t>(base), bytes};
}

void VirtualMemoryWin32::FillWithZeros(const CommittedRegion& region) {
  // The region is freed unread, but through a call the compiler cannot see into, so this
  // write is never optimised away.
  std::memset(reinterpret_cast<void*>(region.base), 0, region.bytes);
}

void VirtualMemoryWin32::Decommit(const CommittedRegion& region) {
  VirtualFree(reinterpret_cast<void*>(region.base), region.bytes, MEM_DECOMMIT);
}

}  // namespace platform::win32
