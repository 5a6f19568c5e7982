#pragma once

#include <windows.h>

#include "platform/app_lifetime.h"
#include "platform/session.h"

namespace platform::win32 {

class SessionWin32 : public Session {
 public:
  std::u16string ProgramFolder() override;
  std::u16string WindowsDirectory() override;
  std::u16string Arguments() override;
};

class AppLifetimeWin32 : public AppLifetime {
 public:
  AppLifetimeWin32(HWND mainWindow, const wchar_t* instanceName)
      : mainWindow_(mainWindow), instanceName_(instanceName) {}
  ~AppLifetimeWin32() override;
  AppLifetimeWin32(const AppLifetimeWin32&) = delete;
  AppLifetimeWin32& operator=(const AppLifetimeWin32&) = delete;

  bool ClaimSingleInstance() override;
  long long MainWindowHandle() override;
  void Quit() override;
  bool QuitRequested() const { return quitRequested_; }

 private:
  HWND mainWindow_;
  const wchar_t* instanceName_;
  HANDLE mutex_ = nullptr;
  bool quitRequested_ = false;
};

}  // namespace platform::win32
