#include "tidewarden/tray/status_lines.h"

#include <array>
#include <cmath>

#include "tidewarden/startup/status_text.h"

namespace tidewarden {

std::u16string DateLine(const platform::LocalTime& time) {
  static const std::array<std::u16string, 7> weekdays = {u"日曜日", u"月曜日", u"火曜日", u"水曜日",
                                                         u"木曜日", u"金曜日", u"土曜日"};
  std::u16string minutes = DecimalText(time.minute);
  if (minutes.size() < 2) minutes = u"0" + minutes;
  return u"≪" + DecimalText(time.month) + u"月" + DecimalText(time.day) + u"日 " +
         weekdays.at(static_cast<size_t>(time.dayOfWeek % 7)) + u" " + DecimalText(time.hour) +
         u"時" + minutes + u"分≫";
}

std::u16string MemoryLine(std::int32_t availableMB, std::optional<std::int32_t> freeResources) {
  std::u16string line = u"空きメモリー " + DecimalText(availableMB) + u"MB";
  if (freeResources) line += u" / リソース " + DecimalText(*freeResources) + u"%";
  return line;
}

std::u16string CenteredMemoryCaption(const std::u16string& dateLine,
                                     const std::u16string& memoryLine) {
  const double half =
      (static_cast<double>(dateLine.size()) - static_cast<double>(memoryLine.size()) + 4.0) / 2.0;
  const double blanks = std::max(0.0, std::nearbyint(half));
  const std::u16string padding(static_cast<size_t>(blanks), u' ');
  return u"≪" + padding + memoryLine + padding + u"≫";
}

std::u16string TooltipField(const std::u16string& statusLine) {
  constexpr size_t kField = 64;
  std::u16string field = statusLine.substr(0, kField);
  if (field.size() < kField) {
    field += u'\0';
    field.resize(kField, u' ');
  }
  return field;
}

}  // namespace tidewarden
