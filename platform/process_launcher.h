#pragma once

#include <string>

namespace platform {

enum class WindowStyle { Normal = 1, Minimized = 2 };

// A program to start: the application is named explicitly, so the command line (which the
// program sees) can never make the system pick another file.
struct ProgramStart {
  std::u16string application;
  std::u16string commandLine;
  WindowStyle style = WindowStyle::Normal;
};

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // Starts without waiting; false when the program could not be started.
  virtual bool Start(const ProgramStart& program) = 0;
};

}  // namespace platform
