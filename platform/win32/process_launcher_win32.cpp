#include "platform/win32/process_launcher_win32.h"

#include <windows.h>

#include <string>

#include "platform/win32/wide_text.h"

namespace platform::win32 {

namespace {

class StartedProcess : public StartedProgram {
 public:
  explicit StartedProcess(HANDLE process) : process_(process) {}
  ~StartedProcess() override { CloseHandle(process_); }
  StartedProcess(const StartedProcess&) = delete;
  StartedProcess& operator=(const StartedProcess&) = delete;

  bool Running() override { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

 private:
  HANDLE process_;
};

}  // namespace

std::unique_ptr<StartedProgram> ProcessLauncherWin32::Start(const ProgramStart& program) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  if (!program.startFeedback) startup.dwFlags |= STARTF_FORCEOFFFEEDBACK;
  startup.wShowWindow =
      static_cast<WORD>(program.style == WindowStyle::Minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
  // Without a class the child of an idle process runs idle too.
  const DWORD flags = program.priority ? static_cast<DWORD>(*program.priority) : 0;
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  std::u16string commandLine = program.commandLine;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(Wide(program.application), reinterpret_cast<wchar_t*>(commandLine.data()),
                      nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, &started)) {
    return nullptr;
  }
  CloseHandle(started.hThread);
  return std::make_unique<StartedProcess>(started.hProcess);
}

}  // namespace platform::win32
