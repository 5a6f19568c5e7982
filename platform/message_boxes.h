#pragma once

#include <string>

namespace platform {

enum class MessageIcon { None, Information, Warning, Error };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A modal box with one OK button; returns when the user has confirmed it.
  virtual void ShowOk(const std::u16string& title, const std::u16string& text,
                      MessageIcon icon) = 0;
  // A modal box with Yes and No, No the default; true when the user chose Yes.
  virtual bool AskYesNo(const std::u16string& title, const std::u16string& text,
                        MessageIcon icon) = 0;
};

}  // namespace platform
