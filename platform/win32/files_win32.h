#pragma once

#include "platform/files.h"

namespace platform::win32 {

class FilesWin32 : public Files {
 public:
  bool Exists(const std::u16string& path) override;
  bool ExistsAtAll(const std::u16string& path) override;
  std::optional<std::u16string> ReadText(const std::u16string& path) override;
  // Writes a new file beside the old one and then replaces it, so a crash or a full disk
  // never leaves a half-written file behind.
  bool WriteText(const std::u16string& path, const std::u16string& text) override;
  bool StoresExactly(const std::u16string& text) override;
};

}  // namespace platform::win32
