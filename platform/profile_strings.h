#pragma once

#include <string>

namespace platform {

// Keys in settings files of the "[Section]" / "Key=Value" kind, read and written the way the
// system's profile-string calls do it: sections and keys match without regard to case, blanks
// around a key and its value do not count, an updated key keeps its line. Paths are full paths.
class ProfileStrings {
 public:
  virtual ~ProfileStrings() = default;
  // The key's value, up to 254 characters; empty when the file, the section or the key is
  // missing.
  virtual std::u16string ReadString(const std::u16string& path, const std::u16string& section,
                                    const std::u16string& key) = 0;
  // Sets the key, creating the file and the section when needed; false when the file could
  // not be written.
  virtual bool WriteString(const std::u16string& path, const std::u16string& section,
                           const std::u16string& key, const std::u16string& value) = 0;
  // Takes the key's line out of the file; true also when there was none to take.
  virtual bool RemoveKey(const std::u16string& path, const std::u16string& section,
                         const std::u16string& key) = 0;
};

}  // namespace platform
