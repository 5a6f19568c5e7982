#include "platform/win32/profile_strings_win32.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace platform::win32 {

std::u16string ProfileStringsWin32::ReadString(const std::u16string& path,
                                               const std::u16string& section,
                                               const std::u16string& key) {
  wchar_t buffer[255] = {};
  GetPrivateProfileStringW(Wide(section), Wide(key), L"", buffer, 255, Wide(path));
  return FromWide(buffer);  // up to the first NUL
}

bool ProfileStringsWin32::WriteString(const std::u16string& path, const std::u16string& section,
                                      const std::u16string& key, const std::u16string& value) {
  return WritePrivateProfileStringW(Wide(section), Wide(key), Wide(value), Wide(path)) != FALSE;
}

bool ProfileStringsWin32::RemoveKey(const std::u16string& path, const std::u16string& section,
                                    const std::u16string& key) {
  return WritePrivateProfileStringW(Wide(section), Wide(key), nullptr, Wide(path)) != FALSE;
}

}  // namespace platform::win32
