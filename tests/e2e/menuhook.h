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

namespace menuhook {

inline constexpr wchar_t kMenuProbeMessage[] = L"TidewardenMenuProbe";
// Sent the same way: the hook answers with what the thread's process holds of the system's
// USER and GDI objects (see menuhook_win32.cpp).
inline constexpr wchar_t kCensusMessage[] = L"TidewardenCensus";
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

inline std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

// A JSON string of UTF-8 text.
inline std::string JsonUtf8(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

inline std::string Json(const std::wstring& text) { return JsonUtf8(ToUtf8(text)); }

}  // namespace menuhook
