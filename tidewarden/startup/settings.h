#pragma once

#include <string>
#include <string_view>

#include "platform/files.h"

namespace tidewarden {

// The value of `key` in a settings text: the first line that contains the key anywhere
// (exact, case-sensitive) gives everything after its first "=", untrimmed, or the whole line
// when it has no "=". CR LF or a lone CR end a line; a lone LF does not. Empty when no line
// contains the key.
std::u16string FindSettingValue(std::u16string_view text, std::u16string_view key);

// The two settings files in the program folder, read afresh at every call.
class SettingsFiles {
 public:
  SettingsFiles(platform::Files& files, const std::u16string& appPath)
      : files_(files), appPath_(appPath) {}

  std::u16string GetMainSetting(std::u16string_view key);
  std::u16string GetMarrowgateSetting(std::u16string_view key);

 private:
  std::u16string Read(std::u16string_view fileName, std::u16string_view key);

  platform::Files& files_;
  const std::u16string& appPath_;
};

}  // namespace tidewarden
