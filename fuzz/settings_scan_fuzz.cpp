// The settings line scan over both settings files, and what the callers make of the values.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "tidewarden/startup/settings.h"
#include "tidewarden/startup/start_up.h"
#include "tidewarden/volume/volume_steps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = fuzz::TextOf(data, size);
  for (const char16_t* key : {u"CREANSIZE", u"SEEK", u"VOLUME", u"CLICK"}) {
    const std::u16string value = tidewarden::FindSettingValue(text, key);
    // A value is a piece of one line of the file: it never holds a CR.
    fuzz::Check(value.find(u'\r') == std::u16string::npos);
    fuzz::Check(value.size() <= text.size());
    (void)tidewarden::ReleaseRatioFromSetting(value);
    const std::uint32_t interval = tidewarden::CheckIntervalFromSetting(value);
    fuzz::Check(interval == 6000 || interval == 10000 || interval == 15000);
    (void)tidewarden::RangeOfSetting(value);
  }
  return 0;
}
