// The display-mode caption reader: a menu entry's caption back into a mode.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_input.h"
#include "tidewarden/display/display_modes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)tidewarden::ModeOfCaption(fuzz::TextOf(data, size));
  if (size >= 10) {
    // Any mode the builder can write reads back as itself.
    std::int32_t width = 0, height = 0;
    std::int16_t bits = 0;
    std::memcpy(&width, data, 4);
    std::memcpy(&height, data + 4, 4);
    std::memcpy(&bits, data + 8, 2);
    if (width >= 0 && height >= 0 && bits >= 0) {
      const auto mode = tidewarden::ModeOfCaption(tidewarden::ModeCaption(width, height, bits));
      fuzz::Check(mode && mode->width == width && mode->height == height && mode->bits == bits);
    }
  }
  return 0;
}
