#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/popup_menu.h"

namespace tidewarden {

// The items of the tray menu, named as everywhere else in the program. `onryou1` and
// `FormMenu11` are control arrays: their items are told apart by index.
enum class Item : std::uint8_t {
  menu0, MenuClose1, sen3, akimemory, hizuke, sen6,
  onryou, MenuClose2, sen7, onryou1, sen5, volcom,
  kaizoudo, MenuClose3, sen8, FormMenu11,
  sen4, defrag, explorerfix, sen2, Settingmnu, Settingmnu2,
  Settingmnu3, Settingmnu31, sen9, Settingmnu32, Settingmnu33,
  sen1, mnuEnd,
};

struct ItemKey {
  Item item;
  int index = 0;
  bool operator==(const ItemKey&) const = default;
};

inline constexpr int kVolumeSteps = 19;      // onryou1(0) to onryou1(18)
inline constexpr int kResolutionItems = 30;  // FormMenu11(0) to FormMenu11(29)

struct MenuNode {
  ItemKey key;
  std::u16string caption;
  int parent = -1;  // index into the tree, -1 for menu0
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
