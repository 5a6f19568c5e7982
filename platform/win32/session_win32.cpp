#include "platform/win32/session_win32.h"

#include <string>

#include "common/command_line.h"
#include "platform/win32/wide_text.h"

namespace platform::win32 {

std::u16string SessionWin32::ProgramFolder() {
  std::u16string path(MAX_PATH, u'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(path.data()),
                                            static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // a long path: ask again with room for it
  }
  const size_t slash = path.rfind(u'\\');
  if (slash == std::u16string::npos) return {};
  // A program at a drive root keeps its "\", as the system names that folder.
  return path.substr(0, slash == 2 ? 3 : slash);
}

std::u16string SessionWin32::WindowsDirectory() {
  // A full-size buffer: a Windows folder of 30 characters or more must not come back empty.
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return {};
  return FromWide(std::wstring_view(buffer, length));
}

std::u16string SessionWin32::Arguments() {
  return common::ArgumentsOf(FromWide(GetCommandLineW()));
}

AppLifetimeWin32::~AppLifetimeWin32() {
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

bool AppLifetimeWin32::ClaimSingleInstance() {
  // A named mutex in the user's own session: other users' copies do not count.
  mutex_ = CreateMutexW(nullptr, FALSE, instanceName_);
  const DWORD error = GetLastError();
  InstanceClaim answer = InstanceClaim::Created;
  if (mutex_ == nullptr) {
    answer = error == ERROR_ACCESS_DENIED ? InstanceClaim::AccessDenied : InstanceClaim::Failed;
  } else if (error == ERROR_ALREADY_EXISTS) {
    answer = InstanceClaim::AlreadyExists;
  }
  return ClaimIsOurs(answer);
}

long long AppLifetimeWin32::MainWindowHandle() {
  return static_cast<long long>(reinterpret_cast<LONG_PTR>(mainWindow_));
}

void AppLifetimeWin32::Quit() {
  quitRequested_ = true;
  PostQuitMessage(0);
}

}  // namespace platform::win32
