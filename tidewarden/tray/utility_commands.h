#pragma once

#include "platform/files.h"
#include "platform/process_launcher.h"
#include "platform/shell_windows.h"
#include "tidewarden/startup/program_state.h"

namespace tidewarden {

// The menu commands that start other programs.
class UtilityCommands {
 public:
  static constexpr std::uint32_t kExplorerWaitMs = 30000;
  static constexpr std::uint32_t kExplorerPollMs = 50;

  UtilityCommands(const ProgramState& state, platform::Files& files,
                  platform::ProcessLauncher& launcher, platform::ShellWindows& windows,
                  platform::EventPump& pump)
      : state_(state), files_(files), launcher_(launcher), windows_(windows), pump_(pump) {}

  // Ends Explorer, waits (answering its own events) until its window is gone, and starts it
  // again; gives up after 30 s without starting a second one.
  void RestartExplorer();
  void OpenVolumeMixer();
  void OpenConfigProgram();
  void OpenToolSettings();

 private:
  bool Start(const std::u16string& path, platform::WindowStyle style);

  const ProgramState& state_;
  platform::Files& files_;
  platform::ProcessLauncher& launcher_;
  platform::ShellWindows& windows_;
  platform::EventPump& pump_;
  bool waitingForExplorer_ = false;
};

}  // namespace tidewarden
