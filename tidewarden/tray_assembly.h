#pragma once

#include <optional>

#include "platform/app_lifetime.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/files.h"
#include "platform/memory_status.h"
#include "platform/message_boxes.h"
#include "platform/own_process.h"
#include "platform/popup_menu.h"
#include "platform/process_launcher.h"
#include "platform/processes.h"
#include "platform/resource_meter.h"
#include "platform/session.h"
#include "platform/shell_windows.h"
#include "platform/timers.h"
#include "platform/tray_icon.h"
#include "platform/wave_out.h"
#include "tidewarden/monitor/priority_window.h"
#include "tidewarden/priority_window_host.h"
#include "tidewarden/tray_program.h"

namespace tidewarden {

// Every system service: those the tray program uses itself, and those only its parts use.
struct TrayPorts : TrayServices {
  platform::MemoryStatus& memory;
  platform::ProcessLauncher& launcher;
  platform::MessageBoxes& boxes;
  platform::WaveOut& waveOut;
  platform::MasterVolume& masterVolume;
  platform::Display& display;
  platform::Processes& processes;
  platform::ShellWindows& shellWindows;
  platform::EventPump& pump;
};

// The tray program's parts, each built with only the services it uses; the one wiring of the
// program (main_win32.cpp) and of its tests. The priority window is built from the parts
// before the program, which opens it from the menu.
class TrayAssembly {
 public:
  explicit TrayAssembly(const TrayPorts& ports)
      : ports_(ports),
        settings(ports.files, state.AppPath),
        memoryFigures(ports.memory),
        release(state, memoryFigures, ports.launcher, ports.timers, ports.lifetime),
        volume(ports.waveOut, ports.masterVolume),
        displayModes(ports.display, ports.boxes),
        monitor(state, ports.files, ports.processes, ports.boxes),
        utilities(state, ports.files, ports.launcher, ports.shellWindows, ports.pump) {}
  TrayAssembly(const TrayAssembly&) = delete;
  TrayAssembly& operator=(const TrayAssembly&) = delete;

  // What the priority window works on.
  PriorityWindowPorts PriorityWindowParts() {
    return {monitor, state, ports_.files, ports_.processes};
  }

  // The program, once the window its menu opens is there; built once.
  TrayProgram& BuildProgram(PriorityWindowHost& priorityWindows) {
    if (!program_) {
      program_.emplace(TrayParts{state, menu, settings, memoryFigures, release, volume,
                                 displayModes, monitor, utilities, priorityWindows},
                       ports_);
    }
    return *program_;
  }

 private:
  TrayPorts ports_;

 public:
  ProgramState state;
  MenuTree menu;
  SettingsFiles settings;
  MemoryFigures memoryFigures;
  ReleasePolicy release;
  VolumeDevice volume;
  DisplayModes displayModes;
  ProcessMonitor monitor;
  UtilityCommands utilities;

 private:
  std::optional<TrayProgram> program_;
};

}  // namespace tidewarden
