#pragma once

#include <optional>

#include "platform/memory_status.h"

namespace platform::fake {

class FakeMemoryStatus : public MemoryStatus {
 public:
  static constexpr std::uint64_t kMB = 1024 * 1024;

  std::optional<PhysicalMemory> Query() override {
    ++queries_;
    return answer_;
  }
  void SetMB(std::uint64_t totalMB, std::uint64_t availableMB) {
    answer_ = PhysicalMemory{totalMB * kMB, availableMB * kMB};
  }

  std::optional<PhysicalMemory> answer_ = PhysicalMemory{256 * kMB, 100 * kMB};
  int queries_ = 0;
};

}  // namespace platform::fake
