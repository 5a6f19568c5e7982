#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/fake/call_log.h"
#include "platform/virtual_memory.h"

namespace platform::fake {

// Hands out made-up addresses; no real memory is involved.
class FakeVirtualMemory : public VirtualMemory {
 public:
  explicit FakeVirtualMemory(CallLog& log) : log_(log) {}

  std::optional<CommittedRegion> CommitUncached(std::uint32_t bytes) override {
    log_.Add("CommitUncached " + std::to_string(bytes));
    if (refuseCommit_) return std::nullopt;
    return CommittedRegion{nextBase_, bytes};
  }
  void FillWithZeros(const CommittedRegion& region) override {
    log_.Add("FillWithZeros " + Describe(region));
  }
  void Decommit(const CommittedRegion& region) override {
    log_.Add("Decommit " + Describe(region));
  }

  bool refuseCommit_ = false;
  std::uintptr_t nextBase_ = 0x10000000;

 private:
  static std::string Describe(const CommittedRegion& r) {
    return std::to_string(r.base) + " " + std::to_string(r.bytes);
  }
  CallLog& log_;
};

}  // namespace platform::fake
