// winprobe's command line: every area's commands in one table (see winprobe.h).
#include <vector>

#include "winprobe.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<probe::Command> commands;
  for (const auto area : {winprobe::WindowCommands(), winprobe::TrayCommands(),
                          winprobe::ProcessCommands(), winprobe::InputCommands()}) {
    commands.insert(commands.end(), area.begin(), area.end());
  }
  return probe::RunCommandLine("winprobe", commands, argc, argv);
}
