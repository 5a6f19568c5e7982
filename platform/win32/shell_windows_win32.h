#pragma once

#include "platform/shell_windows.h"

namespace platform::win32 {

class ShellWindowsWin32 : public ShellWindows {
 public:
  std::optional<std::uintptr_t> FindByClass(const std::u16string& className) override;
  void PostQuit(std::uintptr_t window) override;
};

class EventPumpWin32 : public EventPump {
 public:
  void RunPending() override;
  void Sleep(std::uint32_t ms) override;
  std::uint64_t MonotonicMs() override;
};

}  // namespace platform::win32
