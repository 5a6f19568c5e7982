// The values stored in Marrowgate.ini as Marrowgate reads them back into its two lists.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "marrowgate/settings_form.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string stored = fuzz::TextOf(data, size);
  const int volume = marrowgate::VolumeEntryOf(stored);
  const int click = marrowgate::ClickEntryOf(stored);
  fuzz::Check(volume >= 0 && volume <= 2 && click >= 0 && click <= 1);
  // An entry other than the first is chosen only by its own exact value.
  if (volume != 0) fuzz::Check(marrowgate::VolumeValueOf(volume) == stored);
  if (click != 0) fuzz::Check(marrowgate::ClickValueOf(click) == stored);
  return 0;
}
