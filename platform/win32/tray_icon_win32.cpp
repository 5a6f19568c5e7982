#include "platform/win32/tray_icon_win32.h"

#include <shellapi.h>

#include <algorithm>

#include "platform/win32/dll_search.h"
#include "platform/win32/window_dpi.h"

namespace platform::win32 {

namespace {
constexpr UINT kIconId = 1;

// The small-icon size at the DPI the taskbar is drawn at now; a process keeps the system DPI
// it started with, which a scale change since sign-in has made stale.
int TaskbarSmallIconSize() {
  using ForDpi = int(WINAPI*)(int, UINT);
  static const auto forDpi =
      ExportOf<ForDpi>(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi");
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (forDpi != nullptr && taskbar != nullptr) {
    const int size = forDpi(SM_CXSMICON, static_cast<UINT>(WindowDpi(taskbar)));
    if (size > 0) return size;
  }
  return GetSystemMetrics(SM_CXSMICON);
}

}  // namespace

TrayIconWin32::TrayIconWin32(HWND window, UINT callbackMessage, HINSTANCE instance, WORD iconId,
                             NotifyCall notify)
    : window_(window),
      notify_(notify),
      callbackMessage_(callbackMessage),
      instance_(instance),
      iconId_(iconId) {}

TrayIconWin32::~TrayIconWin32() {
  if (icon_ != nullptr) DestroyIcon(icon_);
}

void TrayIconWin32::LoadAtTaskbarSize() {
  const int size = TaskbarSmallIconSize();
  auto* icon = static_cast<HICON>(
      LoadImageW(instance_, MAKEINTRESOURCEW(iconId_), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  if (icon == nullptr) return;  // the icon it has is better than none
  // The shell keeps its own copy of an icon it was given.
  if (icon_ != nullptr) DestroyIcon(icon_);
  icon_ = icon;
}

NOTIFYICONDATAW TrayIconWin32::Record(const std::u16string& tooltip) const {
  NOTIFYICONDATAW record{};
  // The Vista layout, which version 4 of the notification area belongs to.
  record.cbSize = sizeof record;
  record.hWnd = window_;
  record.uID = kIconId;
  // Under version 4 the shell shows the standard tooltip (the status line) only when asked.
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  record.uCallbackMessage = callbackMessage_;
  record.hIcon = icon_;
  const size_t length = std::min<size_t>(tooltip.size(), ARRAYSIZE(record.szTip) - 1);
  std::copy_n(tooltip.data(), length, reinterpret_cast<char16_t*>(record.szTip));
  return record;
}

bool TrayIconWin32::Add(const std::u16string& tooltip) {
  LoadAtTaskbarSize();
  NOTIFYICONDATAW record = Record(tooltip);
  const bool added = notify_(NIM_ADD, &record) != FALSE;
  // The shell forgets the version with the icon: every add asks again. Asked even when the add
  // reported failure: an icon still there, or one a slow taskbar took anyway, speaks version 0
  // until it is told otherwise.
  record.uVersion = NOTIFYICON_VERSION_4;
  version_ = notify_(NIM_SETVERSION, &record) != FALSE ? NOTIFYICON_VERSION_4 : 0;
  return added;
}

bool TrayIconWin32::SetTooltip(const std::u16string& tooltip) {
  NOTIFYICONDATAW record = Record(tooltip);
  return notify_(NIM_MODIFY, &record) != FALSE;
}

void TrayIconWin32::ReturnFocus() {
  NOTIFYICONDATAW record = Record(u"");
  notify_(NIM_SETFOCUS, &record);
}

void TrayIconWin32::Remove() {
  NOTIFYICONDATAW record = Record(u"");
  notify_(NIM_DELETE, &record);
}

}  // namespace platform::win32
