#include "tidewarden/tray/menu_tree.h"

#include <array>
#include <cstdlib>

namespace tidewarden {
namespace {

constexpr int kCommandBase = 100;  // keeps command ids clear of 0, which means "nothing"
constexpr char16_t kClose[] = u"メニューを閉じる";

}  // namespace

const std::u16string& VolumeStepCaption(int index) {
  static const std::array<std::u16string, kVolumeSteps> captions = {
      u"＋9 (最大)", u"＋8",     u"＋7",         u"＋6",     u"＋5",           u"＋4", u"＋3",
      u"＋2",        u"＋1 　↑", u"±0 (中音量)", u"－1 　↓", u"－2",           u"－3", u"－4",
      u"－5",        u"－6",     u"－7",         u"－8",     u"－9 (ミュート)"};
  return captions.at(static_cast<size_t>(index));
}

namespace {

// One row of the menu: an item, or a run of `count` items told apart by index from `first`.
struct MenuRow {
  Item item;
  Item parent;                  // the submenu it is in (the root names itself)
  std::u16string_view caption;  // "-" for a separator; empty for a line filled in later
  bool visible = true;
  bool checked = false;
  int count = 1;
  int first = 0;
  const std::u16string& (*captionOfIndex)(int) = nullptr;  // for a run with a caption each
};

// The menu as it opens, top to bottom; a submenu's items follow the item that opens it.
constexpr MenuRow kMenu[] = {
    {Item::Root, Item::Root, u"TidewardenMenu"},
    {Item::Close, Item::Root, kClose},
    {Item::CloseSeparator, Item::Root, u"-"},
    {Item::MemoryLine, Item::Root, u""},
    {Item::DateLine, Item::Root, u""},
    {Item::StatusSeparator, Item::Root, u"-"},
    {Item::Volume, Item::Root, u"音量"},
    {Item::VolumeClose, Item::Volume, kClose},
    {Item::VolumeCloseSeparator, Item::Volume, u"-"},
    {Item::VolumeStep, Item::Volume, u"", true, false, kVolumeSteps, 0, &VolumeStepCaption},
    {Item::VolumeStepsSeparator, Item::Volume, u"-"},
    {Item::VolumeMixer, Item::Volume, u"ボリューム"},
    {Item::Resolution, Item::Root, u"解像度変更"},
    {Item::ResolutionClose, Item::Resolution, kClose},
    {Item::ResolutionCloseSeparator, Item::Resolution, u"-"},
    {Item::DisplayMode, Item::Resolution, kNoModeCaption},
    {Item::DisplayMode, Item::Resolution, u"", false, false, kResolutionItems - 1, 1},
    {Item::ResolutionSeparator, Item::Root, u"-"},
    {Item::ReleaseMemory, Item::Root, u"メモリーリークを治す"},
    {Item::RestartExplorer, Item::Root, u"エクスプローラを再起動する"},
    {Item::ToolsSeparator, Item::Root, u"-"},
    {Item::Settings, Item::Root, u"設定の変更"},
    {Item::ToolSettings, Item::Root, u"ツール設定の変更"},
    {Item::Monitor, Item::Root, u"プロセス監視"},
    {Item::MonitorSettings, Item::Monitor, u"設定の変更"},
    {Item::MonitorSeparator, Item::Monitor, u"-"},
    {Item::MonitorOn, Item::Monitor, u"監視する"},
    {Item::MonitorOff, Item::Monitor, u"監視しない", true, true},
    {Item::ExitSeparator, Item::Root, u"-"},
    {Item::Exit, Item::Root, u"終了"},
};

}  // namespace

MenuTree::MenuTree() {
  for (const MenuRow& row : kMenu) {
    const int parent = row.item == Item::Root ? -1 : Find({row.parent});
    for (int index = row.first; index < row.first + row.count; ++index) {
      const std::u16string caption =
          row.captionOfIndex != nullptr ? row.captionOfIndex(index) : std::u16string(row.caption);
      Add({row.item, index}, caption, parent, row.visible, row.checked);
    }
  }
}

int MenuTree::Add(ItemKey key, std::u16string caption, int parent, bool visible, bool checked) {
  nodes_.push_back({key, std::move(caption), parent, visible, checked});
  return static_cast<int>(nodes_.size()) - 1;
}

int MenuTree::Find(ItemKey key) const {
  for (size_t i = 0; i < nodes_.size(); ++i) {
    if (nodes_[i].key == key) return static_cast<int>(i);
  }
  std::abort();  // every key names an item of the fixed tree; anything else is a bug
}

MenuNode& MenuTree::operator[](ItemKey key) { return nodes_[static_cast<size_t>(Find(key))]; }

const MenuNode& MenuTree::operator[](ItemKey key) const {
  return nodes_[static_cast<size_t>(Find(key))];
}

std::vector<platform::MenuEntry> MenuTree::EntriesUnder(ItemKey parent) const {
  return EntriesUnder(Find(parent));
}

std::vector<platform::MenuEntry> MenuTree::EntriesUnder(int parent) const {
  std::vector<platform::MenuEntry> entries;
  for (size_t i = 0; i < nodes_.size(); ++i) {
    const MenuNode& node = nodes_[i];
    if (node.parent != parent || !node.visible) continue;
    platform::MenuEntry entry;
    entry.id = kCommandBase + static_cast<int>(i);
    entry.separator = node.IsSeparator();
    entry.caption = entry.separator ? u"" : node.caption;
    entry.checked = node.checked;
    entry.children = EntriesUnder(static_cast<int>(i));
    entry.submenu = HasChildren(static_cast<int>(i));
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool MenuTree::HasChildren(int index) const {
  for (const MenuNode& node : nodes_) {
    if (node.parent == index) return true;
  }
  return false;
}

std::optional<ItemKey> MenuTree::ItemOfCommand(int commandId) const {
  const int index = commandId - kCommandBase;
  if (index < 0 || index >= static_cast<int>(nodes_.size())) return std::nullopt;
  return nodes_[static_cast<size_t>(index)].key;
}

}  // namespace tidewarden
