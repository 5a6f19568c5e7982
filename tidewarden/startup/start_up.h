#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tidewarden {

// The text before its first NUL character, or the whole text.
std::u16string TrimAtNul(std::u16string_view text);

// CREANSIZE, percent of total memory, as the release ratio. Empty gives 0.25; so does a
// value that does not start with a number, rather than failing the start.
double ReleaseRatioFromSetting(std::u16string_view creansize);

// SEEK: exactly "10000" or "15000" choose that period, anything else 6000 ms.
std::uint32_t CheckIntervalFromSetting(std::u16string_view seek);

// The content of "hwnd.tmp": the handle as a printed number (a blank in place of the sign
// of a non-negative value, the digits, one trailing blank) and CR LF. Window handles are
// 32-bit values, shown signed.
std::u16string HwndFileText(long long handle);

}  // namespace tidewarden
