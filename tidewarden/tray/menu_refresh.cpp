#include "tidewarden/tray/menu_refresh.h"

#include "tidewarden/display/display_modes.h"

namespace tidewarden {

static_assert(kResolutionSlots == kResolutionItems, "a slot for each mode on offer");

void WriteStatusLines(MenuTree& menu, const std::u16string& dateLine,
                      const std::optional<std::u16string>& memoryCaption) {
  if (memoryCaption) menu[{Item::MemoryLine}].caption = *memoryCaption;
  menu[{Item::DateLine}].caption = dateLine;
}

void WriteVolumeMark(MenuTree& menu, int step) {
  for (int index = 0; index < kVolumeSteps; ++index) {
    menu[{Item::VolumeStep, index}].checked = index == step;
  }
}

void WriteResolutionItems(MenuTree& menu, std::span<const platform::DisplayMode> slotModes,
                          const std::optional<platform::DisplayMode>& modeInUse) {
  for (int slot = 0; slot < kResolutionItems; ++slot) {
    MenuNode& node = menu[{Item::DisplayMode, slot}];
    const bool named = static_cast<size_t>(slot) < slotModes.size();
    node.visible = named || slot == 0;
    if (named) {
      node.caption = ModeCaption(slotModes[static_cast<size_t>(slot)]);
    } else if (slot == 0) {
      node.caption = kNoModeCaption;
    }
    node.checked = named && modeInUse == slotModes[static_cast<size_t>(slot)];
  }
}

void WriteMonitorMarks(MenuTree& menu, bool monitoringOn) {
  menu[{Item::MonitorOn}].checked = monitoringOn;
  menu[{Item::MonitorOff}].checked = !monitoringOn;
}

}  // namespace tidewarden
