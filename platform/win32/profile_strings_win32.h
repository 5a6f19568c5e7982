#pragma once

#include "platform/profile_strings.h"

namespace platform::win32 {

// The system's own profile-string calls. A file that does not exist yet is created in the
// ANSI code page, as is one that already is.
class ProfileStringsWin32 : public ProfileStrings {
 public:
  std::u16string ReadString(const std::u16string& path, const std::u16string& section,
                            const std::u16string& key) override;
  bool WriteString(const std::u16string& path, const std::u16string& section,
                   const std::u16string& key, const std::u16string& value) override;
  bool RemoveKey(const std::u16string& path, const std::u16string& section,
                 const std::u16string& key) override;
};

}  // namespace platform::win32
