#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// The files of the programs are in the system's ANSI code page (Shift-JIS on a Japanese
// system); these convert at the file port so the rest of the program sees UTF-16 only.
std::u16string FromAnsi(std::string_view bytes);
std::string ToAnsi(std::u16string_view text);

}  // namespace platform::win32
