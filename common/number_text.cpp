#include "common/number_text.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace common {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The number's characters with the blanks taken out, cut where the number ends.
std::string CollectNumber(std::u16string_view text) {
  std::string out;
  size_t i = 0;
  auto next = [&]() -> char16_t {
    while (i < text.size() && IsBlank(text[i])) ++i;
    return i < text.size() ? text[i] : u'\0';
  };
  char16_t c = next();
  if (c == u'+' || c == u'-') {
    out += static_cast<char>(c);
    ++i;
    c = next();
  }
  bool digits = false;
  while (IsDigit(c)) {
    out += static_cast<char>(c);
    digits = true;
    ++i;
    c = next();
  }
  if (c == u'.') {
    out += '.';
    ++i;
    c = next();
    while (IsDigit(c)) {
      out += static_cast<char>(c);
      digits = true;
      ++i;
      c = next();
    }
  }
  if (!digits) return {};
  if (c == u'e' || c == u'E') {
    // Only an exponent followed by digits belongs to the number.
    const size_t mark = i;
    std::string exponent = "e";
    ++i;
    c = next();
    if (c == u'+' || c == u'-') {
      exponent += static_cast<char>(c);
      ++i;
      c = next();
    }
    bool expDigits = false;
    while (IsDigit(c)) {
      exponent += static_cast<char>(c);
      expDigits = true;
      ++i;
      c = next();
    }
    if (expDigits) {
      out += exponent;
    } else {
      i = mark;
    }
  }
  return out;
}

}  // namespace

double ReadLeadingNumber(std::u16string_view text) {
  return ReadLeadingNumberIfAny(text).value_or(0.0);
}

std::optional<double> ReadLeadingNumberIfAny(std::u16string_view text) {
  const std::string number = CollectNumber(text);
  if (number.empty()) return std::nullopt;
  // The programs never leave the "C" locale, so strtod takes "." as the decimal point; it
  // does the exact decimal-to-binary rounding.
  return std::strtod(number.c_str(), nullptr);
}

std::optional<std::int32_t> RoundHalfEvenToInt32(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double rounded = std::nearbyint(value);  // default rounding mode: to nearest, ties even
  if (rounded < -2147483648.0 || rounded > 2147483647.0) return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

}  // namespace common
