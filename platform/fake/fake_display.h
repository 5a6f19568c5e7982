#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "platform/display.h"

namespace platform::fake {

// A display driver: a list of modes, per-mode test answers and the mode in use.
class FakeDisplay : public Display {
 public:
  std::optional<DisplayMode> EnumMode(std::uint32_t index) override {
    if (index >= modes_.size()) return std::nullopt;
    return modes_[index];
  }
  std::int32_t ChangeSettings(const DisplayMode& mode, std::uint32_t flags) override {
    calls_.push_back({mode, flags});
    const auto key = std::make_tuple(mode.width, mode.height, mode.bits);
    if (flags == kCdsTest) {
      ++tests_;
      const auto answer = testAnswers_.find(key);
      return answer == testAnswers_.end() ? kDispChangeSuccessful : answer->second;
    }
    if (changeAnswer_ == kDispChangeSuccessful) current_ = mode;
    return changeAnswer_;
  }
  std::optional<DisplayMode> CurrentMode() override {
    if (!currentReadable_) return std::nullopt;
    return current_;
  }

  struct Call {
    DisplayMode mode;
    std::uint32_t flags;
  };
  std::vector<DisplayMode> modes_;
  std::map<std::tuple<std::int32_t, std::int32_t, std::int16_t>, std::int32_t> testAnswers_;
  std::int32_t changeAnswer_ = kDispChangeSuccessful;
  DisplayMode current_{1024, 768, 32};
  bool currentReadable_ = true;
  std::vector<Call> calls_;
  int tests_ = 0;
};

}  // namespace platform::fake
