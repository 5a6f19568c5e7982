#pragma once

#include "platform/process_launcher.h"

namespace platform::win32 {

class ProcessLauncherWin32 : public ProcessLauncher {
 public:
  bool Start(const ProgramStart& program) override;
};

}  // namespace platform::win32
