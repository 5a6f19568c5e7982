// Text helpers of the Windows-side test tools (winprobe, menuprobe, menuhook): UTF-8 in and
// out, the hex the Python tests pass Japanese arguments in, and JSON strings.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace probe_text {

inline std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

inline std::wstring FromUtf8(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), size);
  return out;
}

// The bytes a hex argument stands for.
inline std::string FromHex(const std::wstring& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::wcstoul(hex.substr(i, 2).c_str(), nullptr, 16));
  }
  return bytes;
}

// The text a hex argument of UTF-8 bytes stands for.
inline std::wstring FromHexUtf8(const std::wstring& hex) { return FromUtf8(FromHex(hex)); }

// The characters a JSON string carries as a backslash and a letter, and those letters; other
// control characters go as \u00XX.
inline constexpr char kJsonEscaped[] = "\"\\\n\r\t";
inline constexpr char kJsonEscapeLetters[] = "\"\\nrt";

// Where c stands in `characters` (a string of them), or -1.
inline int IndexIn(const char* characters, char c) {
  const char* at = c != '\0' ? std::strchr(characters, c) : nullptr;
  return at != nullptr ? static_cast<int>(at - characters) : -1;
}

// A JSON string of UTF-8 text.
inline std::string JsonUtf8(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (const int escape = IndexIn(kJsonEscaped, c); escape >= 0) {
      out += '\\';
      out += kJsonEscapeLetters[escape];
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

inline std::string Json(const std::wstring& text) { return JsonUtf8(ToUtf8(text)); }

}  // namespace probe_text
