#include <windows.h>

#include "common/command_line.h"
#include "platform/win32/dll_search.h"
#include "platform/win32/message_boxes_win32.h"
#include "platform/win32/own_process_win32.h"
#include "platform/win32/virtual_memory_win32.h"
#include "platform/win32/wide_text.h"
#include "scrubwright/filler.h"

namespace {

// The program's application window: never shown, it only carries the title.
HWND CreateHiddenWindow(HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"ScrubwrightHidden";
  RegisterClassW(&windowClass);
  const std::u16string title(scrubwright::kTitle);
  return CreateWindowExW(0, windowClass.lpszClassName, platform::win32::Wide(title), WS_OVERLAPPED,
                         0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  platform::win32::RestrictDllSearch();

  platform::win32::OwnProcessWin32 process;
  platform::win32::VirtualMemoryWin32 memory;
  platform::win32::MessageBoxesWin32 boxes;

  HWND window = CreateHiddenWindow(instance);
  const std::u16string arguments =
      common::ArgumentsOf(platform::win32::FromWide(GetCommandLineW()));
  scrubwright::Run(arguments, process, memory, boxes);
  if (window != nullptr) DestroyWindow(window);
  return 0;
}
