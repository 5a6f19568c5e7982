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

// The one way this system starts a program: its full path as the application, and a command
// line that starts with the same path in quotes (a path with blanks must not be split), then
// the arguments, if any, after one blank.
inline ProgramStart QuotedProgramStart(const std::u16string& path, const std::u16string& arguments,
                                       WindowStyle style) {
  std::u16string commandLine = u"\"" + path + u"\"";
  if (!arguments.empty()) commandLine += u" " + arguments;
  return {path, commandLine, style};
}

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // Starts without waiting; false when the program could not be started.
  virtual bool Start(const ProgramStart& program) = 0;
};

}  // namespace platform
