#pragma once

#include <cstdint>

namespace platform {

// The Windows priority classes, by their system values.
enum class PriorityClass : std::uint32_t {
  Idle = 0x40,
  BelowNormal = 0x4000,
  Normal = 0x20,
  AboveNormal = 0x8000,
  High = 0x80,
  Realtime = 0x100,
};

// The running program's own process.
class OwnProcess {
 public:
  virtual ~OwnProcess() = default;
  // Best effort: a refusal changes nothing and is not reported.
  virtual void SetPriorityClass(PriorityClass priority) = 0;
};

}  // namespace platform
