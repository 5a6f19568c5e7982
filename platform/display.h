#pragma once

#include <cstdint>
#include <optional>

namespace platform {

struct DisplayMode {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int16_t bits = 0;
  bool operator==(const DisplayMode&) const = default;
};

// Display-change results and flags, by their system values.
inline constexpr std::int32_t kDispChangeSuccessful = 0;
inline constexpr std::int32_t kDispChangeRestart = 1;
inline constexpr std::uint32_t kCdsUpdateRegistry = 1;
inline constexpr std::uint32_t kCdsTest = 2;

// The primary display's modes and settings.
class Display {
 public:
  virtual ~Display() = default;
  // Mode number `index` of the current display device; empty past the last one.
  virtual std::optional<DisplayMode> EnumMode(std::uint32_t index) = 0;
  // Asks for width, height and depth only (refresh rate and position left to the driver).
  virtual std::int32_t ChangeSettings(const DisplayMode& mode, std::uint32_t flags) = 0;
  // The mode in use, in real pixels whatever the scaling; empty when it cannot be read.
  virtual std::optional<DisplayMode> CurrentMode() = 0;
};

}  // namespace platform
