#pragma once

#include <windows.h>

#include "platform/message_boxes.h"

namespace platform::win32 {

class MessageBoxesWin32 : public MessageBoxes {
 public:
  // While a box shows, its owner takes no clicks. Without one (the tray program's windows are
  // hidden) the box is brought to the front instead.
  void SetOwner(HWND owner) { owner_ = owner; }
  void ShowOk(const std::u16string& title, const std::u16string& text, MessageIcon icon) override;
  bool AskYesNo(const std::u16string& title, const std::u16string& text, MessageIcon icon) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace platform::win32
