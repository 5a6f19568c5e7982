#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/resource_meter.h"

namespace platform::fake {

class FakeResourceMeter : public ResourceMeter {
 public:
  std::optional<std::int32_t> FreeSystemResources(const std::u16string& libraryPath) override {
    calls_.push_back(libraryPath);
    return answer_;
  }

  std::optional<std::int32_t> answer_ = 72;
  std::vector<std::u16string> calls_;
};

}  // namespace platform::fake
