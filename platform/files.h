#pragma once

#include <optional>
#include <string>

namespace platform {

// Text files in the system's ANSI code page; the port decodes and encodes, the core only
// sees UTF-16 text. Paths are full paths.
class Files {
 public:
  virtual ~Files() = default;
  // True when an ordinary file or directory of that name is there; one with the hidden or
  // the system attribute counts as missing.
  virtual bool Exists(const std::u16string& path) = 0;
  // True when anything of that name is there, hidden and system files included.
  virtual bool ExistsAtAll(const std::u16string& path) = 0;
  // The whole file, decoded; empty when it cannot be read.
  virtual std::optional<std::u16string> ReadText(const std::u16string& path) = 0;
  // Creates or overwrites the file; false when it could not be written.
  virtual bool WriteText(const std::u16string& path, const std::u16string& text) = 0;
  // True when the text reads back from a file unchanged: the code page holds every character
  // of it, with no best-fit stand-in ("é" as "e", "한" as "?").
  virtual bool StoresExactly(const std::u16string& text) = 0;
};

}  // namespace platform
