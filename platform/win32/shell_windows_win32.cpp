#include "platform/win32/shell_windows_win32.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace platform::win32 {

std::optional<std::uintptr_t> ShellWindowsWin32::FindByClass(const std::u16string& className) {
  HWND window = FindWindowW(Wide(className), nullptr);
  if (window == nullptr) return std::nullopt;
  return reinterpret_cast<std::uintptr_t>(window);
}

void ShellWindowsWin32::PostQuit(std::uintptr_t window) {
  PostMessageW(reinterpret_cast<HWND>(window), WM_QUIT, 0, 0);
}

void EventPumpWin32::RunPending() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Not ours to swallow: the main loop must still see it.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void EventPumpWin32::Sleep(std::uint32_t ms) { ::Sleep(ms); }

std::uint64_t EventPumpWin32::MonotonicMs() { return GetTickCount64(); }

}  // namespace platform::win32
