#pragma once

#include "platform/display.h"

namespace platform::win32 {

class DisplayWin32 : public Display {
 public:
  std::optional<DisplayMode> EnumMode(std::uint32_t index) override;
  std::int32_t ChangeSettings(const DisplayMode& mode, std::uint32_t flags) override;
  std::optional<DisplayMode> CurrentMode() override;
};

}  // namespace platform::win32
