#include "platform/win32/tray_icon_win32.h"

#include <shellapi.h>

#include <algorithm>

namespace platform::win32 {

namespace {
constexpr UINT kIconId = 1;
}  // namespace

TrayIconWin32::TrayIconWin32(HWND window, UINT callbackMessage, HICON icon)
    : window_(window), callbackMessage_(callbackMessage), icon_(icon) {}

NOTIFYICONDATAW TrayIconWin32::Record(const std::u16string& tooltip) const {
  NOTIFYICONDATAW record{};
  // The size every shell since Windows 2000 accepts, with the 128-character tooltip.
  record.cbSize = NOTIFYICONDATAW_V2_SIZE;
  record.hWnd = window_;
  record.uID = kIconId;
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record.uCallbackMessage = callbackMessage_;
  record.hIcon = icon_;
  const size_t length = std::min<size_t>(tooltip.size(), ARRAYSIZE(record.szTip) - 1);
  std::copy_n(tooltip.data(), length, reinterpret_cast<char16_t*>(record.szTip));
  return record;
}

bool TrayIconWin32::Add(const std::u16string& tooltip) {
  NOTIFYICONDATAW record = Record(tooltip);
  return Shell_NotifyIconW(NIM_ADD, &record) != FALSE;
}

bool TrayIconWin32::SetTooltip(const std::u16string& tooltip) {
  NOTIFYICONDATAW record = Record(tooltip);
  return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

void TrayIconWin32::Remove() {
  NOTIFYICONDATAW record = Record(u"");
  Shell_NotifyIconW(NIM_DELETE, &record);
}

}  // namespace platform::win32
