#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/app_lifetime.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/own_process.h"
#include "platform/popup_menu.h"
#include "platform/resource_meter.h"
#include "platform/session.h"
#include "platform/timers.h"
#include "platform/tray_icon.h"
#include "tidewarden/display/display_modes.h"
#include "tidewarden/monitor/process_monitor.h"
#include "tidewarden/priority_window_host.h"
#include "tidewarden/release/release_policy.h"
#include "tidewarden/startup/memory_figures.h"
#include "tidewarden/startup/program_state.h"
#include "tidewarden/startup/settings.h"
#include "tidewarden/tray/menu_tree.h"
#include "tidewarden/tray/utility_commands.h"
#include "tidewarden/volume/volume_steps.h"

namespace tidewarden {

// The tray icon's notifications, by the system's numbers. Under version 0 of the notification
// area there are mouse messages alone, and a button going up opens a menu.
inline constexpr unsigned kTrayMouseMove = 512;      // WM_MOUSEMOVE
inline constexpr unsigned kTrayLeftButtonUp = 514;   // WM_LBUTTONUP
inline constexpr unsigned kTrayRightButtonUp = 517;  // WM_RBUTTONUP
// Version 4 follows each button with what it means, and reports the keyboard's own gestures.
inline constexpr unsigned kTrayContextMenu = 0x007B;  // WM_CONTEXTMENU: right button, Shift+F10
inline constexpr unsigned kTraySelect = 0x0400;       // NIN_SELECT: left button
inline constexpr unsigned kTrayKeySelect = 0x0401;    // NIN_KEYSELECT: Enter, Space
inline constexpr int kTrayVersionWithKeyboard = 4;

// Whether the program's session is connected after a session change the system reports
// (WM_WTSSESSION_CHANGE's code); empty for a change that leaves it as it was, such as a lock.
inline std::optional<bool> SessionConnectedAfter(unsigned change) {
  switch (change) {
    case 1:  // WTS_CONSOLE_CONNECT
    case 3:  // WTS_REMOTE_CONNECT
      return true;
    case 2:  // WTS_CONSOLE_DISCONNECT
    case 4:  // WTS_REMOTE_DISCONNECT
      return false;
    default: return std::nullopt;
  }
}

// The parts the tray program's events are handed to, each built with only the system
// services it uses (main_win32.cpp wires them).
struct TrayParts {
  ProgramState& state;
  MenuTree& menu;
  SettingsFiles& settings;
  MemoryFigures& memory;
  ReleasePolicy& release;
  VolumeDevice& volume;
  DisplayModes& displayModes;
  ProcessMonitor& monitor;
  UtilityCommands& utilities;
  PriorityWindowHost& priorityWindows;
};

// What the tray program itself asks of the system.
struct TrayServices {
  platform::Clock& clock;
  platform::Files& files;
  platform::ResourceMeter& resourceMeter;
  platform::TrayIcon& tray;
  platform::Timers& timers;
  platform::Session& session;
  platform::AppLifetime& lifetime;
  platform::OwnProcess& process;
  platform::PopupMenus& popups;
};

// The hidden main window: every action of the tray program starts from one of its events.
class TrayProgram {
 public:
  TrayProgram(const TrayParts& parts, const TrayServices& system)
      : parts_(parts), system_(system) {}

  void Start();
  void Exit();
  void OnCheckTimer();
  void OnTooltipTimer();
  // Tests one display mode ahead of the menu, so that a click finds the submenu ready.
  void OnModeTestTimer();
  // A notification of the tray icon: its number, and under version 4 the point it is anchored
  // at (the icon, for the keyboard), where a menu opened from the keyboard opens.
  void OnTrayMessage(unsigned notification, platform::ScreenPoint anchor = {});
  // The taskbar was (re)created, for instance after Explorer restarted: the icon is gone.
  void OnTaskbarCreated();
  // The display's size, depth or devices changed: the display modes must be looked at anew.
  void OnDisplayChanged();
  // The system reports a change of the program's session (WM_WTSSESSION_CHANGE's code).
  void OnSessionChange(unsigned change);
  void OnExitChosen();
  void OnVolumeStepChosen(int index);

 private:
  void AddTrayIcon();
  void ShowIcon();
  void RemoveTrayIcon();
  void StartTestingModesAhead();
  void RefreshTooltip();
  std::optional<std::u16string> BuildStatusText();
  // Percent of free system resources; empty without a meter or when it does not answer.
  std::optional<std::int32_t> FreeResources();
  enum class TrayMenu { None, Whole, Click };
  struct TrayGesture {
    TrayMenu menu = TrayMenu::None;
    bool fromKeyboard = false;
  };
  TrayGesture GestureOf(unsigned notification);
  void RefreshPopupMenu();
  void ShowMenu(TrayGesture gesture, platform::ScreenPoint anchor);
  void RunCommand(std::optional<int> commandId);
  void SetCloseItemsVisible(bool visible);

  TrayParts parts_;
  TrayServices system_;
  bool iconWanted_ = false;
  bool iconShown_ = false;
  std::u16string tooltip_;
  // A menu of the icon shows: its own message loop still delivers the icon's notifications.
  bool menuOpen_ = false;
  // Under version 4 the last notification was the right button going up: the context-menu
  // notification that follows it comes from the mouse, not the keyboard.
  bool afterRightButton_ = false;
};

}  // namespace tidewarden
