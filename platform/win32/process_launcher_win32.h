#pragma once

#include "platform/process_launcher.h"

namespace platform::win32 {

class ProcessLauncherWin32 : public ProcessLauncher {
 public:
  std::unique_ptr<StartedProgram> Start(const ProgramStart& program) override;
};

}  // namespace platform::win32
