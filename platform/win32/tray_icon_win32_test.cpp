#include "platform/win32/tray_icon_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform::win32 {
namespace {

// The shell as Windows documents it, standing in for Shell_NotifyIconW: what each call asked,
// and whether it takes version 4 (Wine's shell shows neither the tooltip flag nor the focus).
struct Shell {
  struct Call {
    DWORD message;
    NOTIFYICONDATAW record;
  };
  static inline std::vector<Call> calls;
  static inline bool takesVersion4 = true;
  static inline bool hasIcon = false;

  static BOOL WINAPI Notify(DWORD message, PNOTIFYICONDATAW record) {
    calls.push_back({message, *record});
    switch (message) {
      case NIM_ADD:
        if (hasIcon) return FALSE;
        hasIcon = true;
        return TRUE;
      case NIM_SETVERSION:
        return hasIcon && takesVersion4 && record->uVersion == NOTIFYICON_VERSION_4;
      case NIM_DELETE: hasIcon = false; return TRUE;
      default: return hasIcon;
    }
  }
};

TEST(TrayIconWin32, EveryAddAsksForVersion4AndTheTooltipStillShows) {
  constexpr UINT kCallback = WM_APP + 1;
  const struct {
    const char* shell;
    bool takesVersion4;
    bool iconAlreadyThere;
    int version;
  } rows[] = {
      {"Windows 7 and later", true, false, NOTIFYICON_VERSION_4},
      {"an icon a slow taskbar took already", true, true, NOTIFYICON_VERSION_4},
      {"a shell without version 4", false, false, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.shell);
    Shell::calls.clear();
    Shell::takesVersion4 = row.takesVersion4;
    Shell::hasIcon = row.iconAlreadyThere;
    TrayIconWin32 icon(nullptr, kCallback, nullptr, 1, Shell::Notify);
    EXPECT_EQ(icon.Add(u"status"), !row.iconAlreadyThere);
    ASSERT_EQ(Shell::calls.size(), 2u);
    EXPECT_EQ(Shell::calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(Shell::calls[1].message, static_cast<DWORD>(NIM_SETVERSION));
    EXPECT_EQ(Shell::calls[1].record.uVersion, static_cast<UINT>(NOTIFYICON_VERSION_4));
    EXPECT_EQ(icon.Version(), row.version);
    ASSERT_TRUE(icon.SetTooltip(u"status 2"));
    icon.ReturnFocus();
    ASSERT_EQ(Shell::calls.size(), 4u);
    EXPECT_EQ(Shell::calls[3].message, static_cast<DWORD>(NIM_SETFOCUS));
    for (const Shell::Call& call : Shell::calls) {
      EXPECT_EQ(call.record.cbSize, sizeof(NOTIFYICONDATAW));
      EXPECT_EQ(call.record.uID, 1u);
      EXPECT_EQ(call.record.uCallbackMessage, kCallback);
      if (call.message == NIM_ADD || call.message == NIM_MODIFY) {
        // Under version 4 the shell shows the tooltip only when asked to.
        EXPECT_EQ(call.record.uFlags & (NIF_TIP | NIF_SHOWTIP), UINT{NIF_TIP | NIF_SHOWTIP});
      }
    }
    EXPECT_EQ(std::wstring(Shell::calls[2].record.szTip), L"status 2");
  }
}

}  // namespace
}  // namespace platform::win32
