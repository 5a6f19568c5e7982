#pragma once

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include "platform/tray_icon.h"

namespace platform::win32 {

// The icon's notifications reach `window` as `callbackMessage`: under version 4 of the
// notification area, which every add asks for, the event in LOWORD(lParam) and the anchor
// point in wParam; under version 0 the mouse message in lParam. The icon is the program's icon
// resource `iconId`, loaded at the taskbar's small-icon size each time it is added: the taskbar is
// re-created after a scale change, and the icon added again is drawn at the new size.
class TrayIconWin32 : public TrayIcon {
 public:
  // How the icon reaches the shell: Shell_NotifyIconW, or a test's stand-in.
  using NotifyCall = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);

  TrayIconWin32(HWND window, UINT callbackMessage, HINSTANCE instance, WORD iconId,
                NotifyCall notify = Shell_NotifyIconW);
  ~TrayIconWin32() override;
  TrayIconWin32(const TrayIconWin32&) = delete;
  TrayIconWin32& operator=(const TrayIconWin32&) = delete;

  bool Add(const std::u16string& tooltip) override;
  bool SetTooltip(const std::u16string& tooltip) override;
  void Remove() override;
  int Version() const override { return version_; }
  void ReturnFocus() override;

 private:
  NOTIFYICONDATAW Record(const std::u16string& tooltip) const;
  void LoadAtTaskbarSize();

  HWND window_;
  NotifyCall notify_;
  UINT callbackMessage_;
  HINSTANCE instance_;
  WORD iconId_;
  HICON icon_ = nullptr;
  int version_ = 0;
};

}  // namespace platform::win32
