#include "platform/win32/ansi_text.h"

#include <windows.h>

#include <climits>

namespace platform::win32 {

namespace {

// Appends the decoded bytes to text.
void AppendDecoded(std::string_view bytes, std::u16string& text) {
  if (bytes.empty()) return;
  const int length = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  if (size <= 0) return;
  const size_t old = text.size();
  text.resize(old + static_cast<size_t>(size));
  const int written = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length,
                                          reinterpret_cast<wchar_t*>(text.data() + old), size);
  text.resize(old + static_cast<size_t>(written > 0 ? written : 0));
}

}  // namespace

// Line ends are never part of a character in any ANSI code page, but a decoder takes a stray
// lead byte together with the CR or LF after it. Decoding line by line keeps every line end,
// so one broken byte cannot join two lines of a settings file.
std::u16string FromAnsi(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  std::u16string text;
  text.reserve(bytes.size());
  size_t start = 0;
  while (true) {
    const size_t end = bytes.find_first_of("\r\n", start);
    AppendDecoded(bytes.substr(start, end - start), text);  // to the end when none is left
    if (end == std::string_view::npos) break;
    text += static_cast<char16_t>(bytes[end]);
    start = end + 1;
  }
  return text;
}

std::string ToAnsi(std::u16string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

}  // namespace platform::win32
