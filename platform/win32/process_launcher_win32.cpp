#include "platform/win32/process_launcher_win32.h"

#include <windows.h>

#include <string>

#include "platform/win32/wide_text.h"

namespace platform::win32 {

bool ProcessLauncherWin32::Start(const ProgramStart& program) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow =
      static_cast<WORD>(program.style == WindowStyle::Minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  std::u16string commandLine = program.commandLine;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(Wide(program.application), reinterpret_cast<wchar_t*>(commandLine.data()),
                      nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    return false;
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}

}  // namespace platform::win32
