#include "tidewarden/startup/start_up.h"

#include <cmath>

#include "common/number_text.h"
#include "tidewarden/startup/status_text.h"

namespace tidewarden {

std::u16string TrimAtNul(std::u16string_view text) {
  return std::u16string(text.substr(0, text.find(u'\0')));
}

double ReleaseRatioFromSetting(std::u16string_view creansize) {
  const auto percent = common::ReadLeadingNumberIfAny(creansize);
  return percent ? *percent / 100.0 : 0.25;
}

std::uint32_t CheckIntervalFromSetting(std::u16string_view seek) {
  if (seek == u"10000") return 10000;
  if (seek == u"15000") return 15000;
  return 6000;
}

std::u16string HwndFileText(long long handle) {
  const auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(handle & 0xFFFFFFFF));
  const std::u16string digits = DecimalText(value < 0 ? -static_cast<long long>(value) : value);
  return (value < 0 ? u"-" : u" ") + digits + u" \r\n";
}

}  // namespace tidewarden
