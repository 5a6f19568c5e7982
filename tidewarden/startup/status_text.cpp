#include "tidewarden/startup/status_text.h"

namespace tidewarden {

std::u16string DecimalText(long long value) {
  const std::string ascii = std::to_string(value);
  return std::u16string(ascii.begin(), ascii.end());
}

std::u16string ShortTime(const platform::LocalTime& time) {
  std::u16string text = DecimalText(time.hour) + u":";
  if (time.minute < 10) text += u'0';
  return text + DecimalText(time.minute);
}

std::u16string BuildStatusText(const platform::LocalTime& time, std::int32_t availableMB,
                               std::optional<std::int32_t> freeResources) {
  std::u16string text =
      u"時刻 ≪" + ShortTime(time) + u"≫  空きメモリー ≪" + DecimalText(availableMB);
  if (freeResources) {
    return text + u"MB≫  リソース ≪" + DecimalText(*freeResources) + u"%≫";
  }
  return text + u"MB≫";
}

}  // namespace tidewarden
