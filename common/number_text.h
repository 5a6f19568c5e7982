#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace common {

// Reads the decimal number a text starts with, leniently: blanks and tabs are skipped wherever
// they stand, reading stops at the first character that cannot continue the number, and a
// text that does not start with a number gives 0. Accepts a sign, digits, one decimal point
// and an exponent ("1e3"). Never fails; an out-of-range exponent gives an infinity.
double ReadLeadingNumber(std::u16string_view text);

// The same reading, but empty when the text does not start with a number at all.
std::optional<double> ReadLeadingNumberIfAny(std::u16string_view text);

// Rounds to the nearest integer, an exact half going to the even neighbour (2.5 -> 2,
// 3.5 -> 4, -2.5 -> -2). Empty when the result does not fit a 32-bit signed integer.
std::optional<std::int32_t> RoundHalfEvenToInt32(double value);

}  // namespace common
