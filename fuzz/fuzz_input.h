#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// The fuzzer's bytes as text. The first byte chooses how the rest is read: one character per
// byte (so the fuzzer finds ASCII keys and digits quickly) or little-endian UTF-16 units (so
// any text a decoder could produce, lone surrogates and NULs included, is reached too).
inline std::u16string TextOf(const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  if (size == 0) return text;
  const bool wide = (data[0] & 1) != 0;
  for (std::size_t i = 1; i < size; i += wide ? 2 : 1) {
    if (!wide) {
      text += static_cast<char16_t>(data[i]);
    } else if (i + 1 < size) {
      text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }
  }
  return text;
}

// Stops the run with a crash the fuzzer reports, when a property does not hold.
inline void Check(bool holds) {
  if (!holds) __builtin_trap();
}

}  // namespace fuzz
