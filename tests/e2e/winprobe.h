// winprobe: the end-to-end tests' hands and eyes inside the Wine desktop. A console program
// that finds, reads and presses the windows of other processes and prints what it saw as one
// line of JSON (UTF-8). Texts on its command line come hex-encoded as UTF-8, so they arrive
// intact whatever the locale of the Wine session. `winprobe` alone lists its commands.
//
// Its commands, by area, each file with its own table:
//   winprobe_windows.cpp    top-level windows, message boxes, another program's controls
//   winprobe_tray.cpp       tooltips, popup menus, the taskbar, the screen and display mode
//   winprobe_processes.cpp  starting programs, processes, their priority classes and costs
//   winprobe_input.cpp      the pointer, mouse buttons and keys
#pragma once

#include <windows.h>

#include <span>

#include "probe_support.h"

namespace winprobe {

using probe::Answer;
using probe::Args;
using probe::JsonArray;
using probe::JsonObject;

std::span<const probe::Command> WindowCommands();
std::span<const probe::Command> TrayCommands();
std::span<const probe::Command> ProcessCommands();
std::span<const probe::Command> InputCommands();

// A mouse event for SendInput.
INPUT MouseInput(DWORD flags, LONG dx = 0, LONG dy = 0);
// Moves the pointer as a real mouse does; true when it arrived there.
bool MovePointer(int x, int y);

}  // namespace winprobe
