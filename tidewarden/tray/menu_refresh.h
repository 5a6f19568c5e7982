#pragma once

#include <optional>
#include <span>
#include <string>

#include "platform/display.h"
#include "tidewarden/tray/menu_tree.h"

namespace tidewarden {

// The one place that writes the tray menu's changing captions and marks, each from the state
// of the part that owns it. A part never writes the menu itself.

// The status lines at the top; without a memory caption the old one stays.
void WriteStatusLines(MenuTree& menu, const std::u16string& dateLine,
                      const std::optional<std::u16string>& memoryCaption);

// The mark on the volume step in use; none for a step outside the nineteen.
void WriteVolumeMark(MenuTree& menu, int step);

// The resolution submenu: a slot for each mode on offer now and no other (a display taken
// away takes its modes along), "(なし)" while there is none, and exactly the slots of the mode
// in use checked, so a change made elsewhere moves the mark.
void WriteResolutionItems(MenuTree& menu, std::span<const platform::DisplayMode> slotModes,
                          const std::optional<platform::DisplayMode>& modeInUse);

// "監視する" or "監視しない" checked.
void WriteMonitorMarks(MenuTree& menu, bool monitoringOn);

}  // namespace tidewarden
