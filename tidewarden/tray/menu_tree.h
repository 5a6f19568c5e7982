#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/popup_menu.h"

namespace tidewarden {

// The items of the tray menu. `VolumeStep` and `DisplayMode` stand for a run of items each,
// told apart by index.
enum class Item : std::uint8_t {
  Root,
  Close,
  CloseSeparator,
  MemoryLine,
  DateLine,
  StatusSeparator,
  Volume,
  VolumeClose,
  VolumeCloseSeparator,
  VolumeStep,
  VolumeStepsSeparator,
  VolumeMixer,
  Resolution,
  ResolutionClose,
  ResolutionCloseSeparator,
  DisplayMode,
  ResolutionSeparator,
  ReleaseMemory,
  RestartExplorer,
  ToolsSeparator,
  Settings,
  ToolSettings,
  Monitor,
  MonitorSettings,
  MonitorSeparator,
  MonitorOn,
  MonitorOff,
  ExitSeparator,
  Exit,
};

struct ItemKey {
  Item item;
  int index = 0;
  bool operator==(const ItemKey&) const = default;
};

inline constexpr int kVolumeSteps = 19;      // VolumeStep 0 (loudest) to 18 (mute)
inline constexpr int kResolutionItems = 30;  // DisplayMode 0 to 29
// The first resolution slot's caption while no mode is on offer.
inline constexpr char16_t kNoModeCaption[] = u"(なし)";

struct MenuNode {
  ItemKey key;
  std::u16string caption;
  int parent = -1;  // index into the tree, -1 for the root
  bool visible = true;
  bool checked = false;
  bool IsSeparator() const { return caption == u"-"; }
};

// The one menu tree of the main window, with its start states. The view builds the popup from
// it each time; nothing about the menu is kept elsewhere.
class MenuTree {
 public:
  MenuTree();

  MenuNode& operator[](ItemKey key);
  const MenuNode& operator[](ItemKey key) const;

  // The visible entries below `parent`, as a popup shows them; ids come from CommandId.
  std::vector<platform::MenuEntry> EntriesUnder(ItemKey parent) const;
  std::optional<ItemKey> ItemOfCommand(int commandId) const;

 private:
  int Add(ItemKey key, std::u16string caption, int parent, bool visible = true,
          bool checked = false);
  int Find(ItemKey key) const;
  std::vector<platform::MenuEntry> EntriesUnder(int parent) const;
  bool HasChildren(int index) const;

  std::vector<MenuNode> nodes_;
};

// The captions of the nineteen volume steps, loudest first.
const std::u16string& VolumeStepCaption(int index);

}  // namespace tidewarden
