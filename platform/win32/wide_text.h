#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// On Windows wchar_t is one UTF-16 unit, so the core's text passes to the W APIs unchanged.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline std::u16string FromWide(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

}  // namespace platform::win32
