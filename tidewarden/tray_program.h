#pragma once

#include <cstdint>
#include <optional>
#include <string>

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
#include "platform/shell_windows.h"
#include "platform/session.h"
#include "platform/timers.h"
#include "platform/tray_icon.h"
#include "platform/wave_out.h"
#include "tidewarden/display/display_modes.h"
#include "tidewarden/monitor/priority_window.h"
#include "tidewarden/monitor/process_monitor.h"
#include "tidewarden/release/release_policy.h"
#include "tidewarden/startup/memory_figures.h"
#include "tidewarden/startup/program_state.h"
#include "tidewarden/startup/settings.h"
#include "tidewarden/tray/menu_tree.h"
#include "tidewarden/tray/utility_commands.h"
#include "tidewarden/volume/volume_steps.h"

namespace tidewarden {

// Everything the tray program needs from the system, wired once in main_win32.cpp.
struct Ports {
  platform::Clock& clock;
  platform::Files& files;
  platform::MemoryStatus& memory;
  platform::ResourceMeter& resourceMeter;
  platform::ProcessLauncher& launcher;
  platform::TrayIcon& tray;
  platform::Timers& timers;
  platform::Session& session;
  platform::AppLifetime& lifetime;
  platform::OwnProcess& process;
  platform::PopupMenus& popups;
  platform::MessageBoxes& boxes;
  platform::WaveOut& waveOut;
  platform::MasterVolume& masterVolume;
  platform::Display& display;
  platform::Processes& processes;
  PriorityWindowHost& priorityWindows;
  platform::ShellWindows& shellWindows;
  platform::EventPump& pump;
};

// The hidden main window: every action of the tray program starts from one of its events.
class TrayProgram {
 public:
  explicit TrayProgram(const Ports& ports);

  void Start();
  void Exit();
  void OnCheckTimer();
  void OnTooltipTimer();
  // A message from the tray icon: the mouse message number (a button going up opens a menu).
  void OnTrayMessage(unsigned mouseMessage);
  // The taskbar was (re)created, for instance after Explorer restarted: the icon is gone.
  void OnTaskbarCreated();
  // The display's size, depth or devices changed: the display modes must be looked at anew.
  void OnDisplayChanged();
  void OnExitChosen();
  void OnVolumeStepChosen(int index);

  const ProgramState& State() const { return state_; }
  const MenuTree& Menu() const { return menu_; }
  ProcessMonitor& Monitor() { return monitor_; }
  ProgramState& MutableState() { return state_; }

 private:
  void AddTrayIcon();
  void ShowIcon();
  void RemoveTrayIcon();
  std::optional<std::u16string> BuildStatusText();
  // Percent of free system resources; empty without a meter or when it does not answer.
  std::optional<std::int32_t> FreeResources();
  void RefreshPopupMenu();
  void RefreshVolumeMarks();
  void ShowTrayMenu(int position);
  void ShowClickMenu();
  void RunCommand(std::optional<int> commandId);
  void SetCloseItemsVisible(bool visible);

  Ports ports_;
  ProgramState state_;
  MenuTree menu_;
  SettingsFiles settings_;
  MemoryFigures memory_;
  ReleasePolicy release_;
  VolumeDevice volume_;
  DisplayModes displayModes_;
  ProcessMonitor monitor_;
  UtilityCommands utilities_;
  bool iconWanted_ = false;
  bool iconShown_ = false;
  std::u16string tooltip_;
};

}  // namespace tidewarden
