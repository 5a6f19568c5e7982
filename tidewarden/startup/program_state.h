#pragma once

#include <cstdint>
#include <string>

namespace tidewarden {

// The program-wide state that the handlers share; names as the rest of the program uses them.
struct ProgramState {
  std::u16string AppPath;           // program folder, always ending in "\"
  std::u16string WinDir;            // Windows directory, no trailing "\"
  bool ResourcesAvailable = false;  // the resource meter's library is installed
  // Started with a number: no icon, and the run ends once OneShotTargetMB are free.
  bool OneShotMode = false;
  double OneShotTargetMB = 0;
  double ReleaseRatio = 0.25;  // in normal mode, a release below this share free
  std::int32_t ReleaseCount = 0;
  bool MonitorOn = false;
  bool PriorityWindowOpen = false;
  std::uint32_t CheckInterval = 6000;
};

}  // namespace tidewarden
