#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/own_process.h"

namespace platform {

enum class WindowStyle { Normal = 1, Minimized = 2 };

// A program to start: the application is named explicitly, so the command line (which the
// program sees) can never make the system pick another file.
struct ProgramStart {
  std::u16string application;
  std::u16string commandLine;
  WindowStyle style = WindowStyle::Normal;
  // Empty: the system's choice, which for the child of an idle process is the idle class.
  std::optional<PriorityClass> priority;
  // The busy pointer while the program starts up; off for work the user did not ask for.
  bool startFeedback = true;
};

// The one way this system starts a program: its full path as the application, and a command
// line that starts with the same path in quotes (a path with blanks must not be split), then
// the arguments, if any, after one blank. The class is always named: this program runs idle,
// and what it starts must not inherit that.
inline ProgramStart QuotedProgramStart(const std::u16string& path, const std::u16string& arguments,
                                       WindowStyle style,
                                       PriorityClass priority = PriorityClass::Normal) {
  std::u16string commandLine = u"\"" + path + u"\"";
  if (!arguments.empty()) commandLine += u" " + arguments;
  return {path, commandLine, style, priority};
}

// A program that was started; dropping it lets go of the process, which runs on.
class StartedProgram {
 public:
  virtual ~StartedProgram() = default;
  virtual bool Running() = 0;
};

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // Starts without waiting; empty when the program could not be started.
  virtual std::unique_ptr<StartedProgram> Start(const ProgramStart& program) = 0;
};

}  // namespace platform
