// What menuprobe.exe and menuhook.dll agree on. Wine keeps a popup menu's items in the
// process that made it, so another process reads neither their number nor their texts.
// menuprobe therefore hooks the menu's thread with menuhook.dll (WH_CALLWNDPROC) and sends the
// popup window kMenuProbeMessage with wParam = menuprobe's process id and lParam = a sequence
// number. The hook, running inside that thread, writes the open menus as JSON into the file
// mapping named MappingName(wParam, lParam), which menuprobe made before sending. SendMessage
// returns only after the hook ran, so no further signal is needed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "probe_text.h"

namespace menuhook {

inline constexpr wchar_t kMenuProbeMessage[] = L"TidewardenMenuProbe";
// Sent the same way: the hook answers with what the thread's process holds of the system's
// USER and GDI objects (see menuhook_win32.cpp).
inline constexpr wchar_t kCensusMessage[] = L"TidewardenCensus";
// Sent to a top-level window with wParam = a DPI: the hook delivers WM_DPICHANGED for that DPI
// to the window, inside its own thread, as Windows does when the window moves to a monitor of
// another scale (the message carries a pointer, which no other process can pass). The
// suggested rectangle is the window's own, so the window's new size is its own doing.
inline constexpr wchar_t kDpiChangeMessage[] = L"TidewardenDpiChange";
// Sent to a top-level window with wParam = a message-font height (LOGFONT's lfHeight): the hook
// sets that height in the window's own process, delivers WM_SETTINGCHANGE with
// SPI_SETNONCLIENTMETRICS to the window as Windows does when the user changes the text size,
// and puts the height it found back at once, so that no other window hears of it. (Wine keeps
// the system parameters of each process apart; another process cannot change them.)
inline constexpr wchar_t kTextSizeMessage[] = L"TidewardenTextSize";
inline constexpr char kHookExport[] = "MenuHookProc";
inline constexpr wchar_t kDllName[] = L"menuhook.dll";

// Start of the mapping; the JSON (UTF-8, no terminator) follows it.
struct Header {
  uint32_t status;  // one of Status; menuprobe writes kUnanswered before each send
  uint32_t length;  // bytes of JSON after the header
};

enum Status : uint32_t { kUnanswered = 0, kAnswered = 1, kTooLarge = 2 };

inline constexpr uint32_t kMappingSize = 1u << 20;

inline std::wstring MappingName(WPARAM probePid, LPARAM sequence) {
  wchar_t name[96];
  std::swprintf(name, 96, L"Local\\TidewardenMenuProbe.%llu.%llu",
                static_cast<unsigned long long>(probePid),
                static_cast<unsigned long long>(static_cast<ULONG_PTR>(sequence)));
  return name;
}

}  // namespace menuhook
