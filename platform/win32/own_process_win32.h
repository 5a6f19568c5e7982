#pragma once

#include "platform/own_process.h"

namespace platform::win32 {

class OwnProcessWin32 : public OwnProcess {
 public:
  void SetPriorityClass(PriorityClass priority) override;
};

}  // namespace platform::win32
