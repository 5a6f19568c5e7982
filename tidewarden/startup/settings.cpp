#include "tidewarden/startup/settings.h"

#include "common/text_lines.h"

namespace tidewarden {

std::u16string FindSettingValue(std::u16string_view text, std::u16string_view key) {
  for (const std::u16string_view line : common::SplitLines(text)) {
    if (line.find(key) != std::u16string_view::npos) {
      const size_t equals = line.find(u'=');
      return std::u16string(equals == std::u16string_view::npos ? line : line.substr(equals + 1));
    }
  }
  return {};
}

std::u16string SettingsFiles::GetMainSetting(std::u16string_view key) {
  return Read(u"Tidewarden.ini", key);
}

std::u16string SettingsFiles::GetMarrowgateSetting(std::u16string_view key) {
  return Read(u"Marrowgate.ini", key);
}

std::u16string SettingsFiles::Read(std::u16string_view fileName, std::u16string_view key) {
  const std::u16string path = appPath_ + std::u16string(fileName);
  if (!files_.Exists(path)) return {};
  const auto text = files_.ReadText(path);
  if (!text) return {};
  return FindSettingValue(*text, key);
}

}  // namespace tidewarden
