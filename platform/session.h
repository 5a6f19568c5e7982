#pragma once

#include <string>

namespace platform {

// What the program learns about itself and its surroundings at start.
class Session {
 public:
  virtual ~Session() = default;
  // The folder that holds the running program, as the system names it.
  virtual std::u16string ProgramFolder() = 0;
  virtual std::u16string WindowsDirectory() = 0;
  // The command line's arguments, without the program name.
  virtual std::u16string Arguments() = 0;
};

}  // namespace platform
