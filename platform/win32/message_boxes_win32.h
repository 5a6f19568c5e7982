#pragma once

#include "platform/message_boxes.h"

namespace platform::win32 {

class MessageBoxesWin32 : public MessageBoxes {
 public:
  void ShowOk(const std::u16string& title, const std::u16string& text,
              MessageIcon icon) override;
};

}  // namespace platform::win32
