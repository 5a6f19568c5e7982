// The display-mode caption: any width, height and depth a driver may list is written out in
// plain decimal, the lowest 32-bit numbers included.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_input.h"
#include "tidewarden/display/display_modes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 10) return 0;
  platform::DisplayMode mode;
  std::memcpy(&mode.width, data, 4);
  std::memcpy(&mode.height, data + 4, 4);
  std::memcpy(&mode.bits, data + 8, 2);
  const std::string expected = std::to_string(mode.width) + "x" + std::to_string(mode.height) +
                               " " + std::to_string(mode.bits) + "Bit";
  fuzz::Check(tidewarden::ModeCaption(mode) == std::u16string(expected.begin(), expected.end()));
  return 0;
}
