#pragma once

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include "platform/tray_icon.h"

namespace platform::win32 {

// The icon's mouse messages reach `window` as `callbackMessage`, with the mouse message in
// lParam.
class TrayIconWin32 : public TrayIcon {
 public:
  TrayIconWin32(HWND window, UINT callbackMessage, HICON icon);

  bool Add(const std::u16string& tooltip) override;
  bool SetTooltip(const std::u16string& tooltip) override;
  void Remove() override;

 private:
  NOTIFYICONDATAW Record(const std::u16string& tooltip) const;

  HWND window_;
  UINT callbackMessage_;
  HICON icon_;
};

}  // namespace platform::win32
