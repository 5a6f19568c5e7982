#pragma once

#include <cstdint>
#include <string>

namespace tidewarden {

// The program-wide state that the handlers share; names as the rest of the program uses them.
struct ProgramState {
  std::u16string AppPath;  // program folder, always ending in "\"
  std::u16string WinDir;   // Windows directory, no trailing "\"
  std::int32_t ResourcesAvailable = 0;
  double ReleaseThreshold = 0.25;  // a ratio in normal mode, megabytes in one-shot mode
  std::int16_t OneShotMode = 0;    // -1 in one-shot mode
  std::int32_t ReleaseCount = 0;
  std::int32_t MonitorOn = 0;
  std::int32_t PriorityWindowOpen = 0;
  std::uint32_t CheckInterval = 6000;
};

}  // namespace tidewarden
