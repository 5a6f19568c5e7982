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
      u"＋9 (最大)", u"＋8", u"＋7", u"＋6", u"＋5", u"＋4", u"＋3", u"＋2",
      u"＋1 　↑",   u"±0 (中音量)", u"－1 　↓", u"－2", u"－3", u"－4", u"－5",
      u"－6",        u"－7", u"－8", u"－9 (ミュート)"};
  return captions.at(static_cast<size_t>(index));
}

MenuTree::MenuTree() {
  const int root = Add({Item::Root}, u"TidewardenMenu", -1);
  Add({Item::Close}, kClose, root);
  Add({Item::CloseSeparator}, u"-", root);
  Add({Item::MemoryLine}, u"", root);
  Add({Item::DateLine}, u"", root);
  Add({Item::StatusSeparator}, u"-", root);

  const int volume = Add({Item::Volume}, u"音量", root);
  Add({Item::VolumeClose}, kClose, volume);
  Add({Item::VolumeCloseSeparator}, u"-", volume);
  for (int i = 0; i < kVolumeSteps; ++i) Add({Item::VolumeStep, i}, VolumeStepCaption(i), volume);
  Add({Item::VolumeStepsSeparator}, u"-", volume);
  Add({Item::VolumeMixer}, u"ボリューム", volume);

  const int resolution = Add({Item::Resolution}, u"解像度変更", root);
  Add({Item::ResolutionClose}, kClose, resolution);
  Add({Item::ResolutionCloseSeparator}, u"-", resolution);
  Add({Item::DisplayMode, 0}, u"(なし)", resolution);
  for (int i = 1; i < kResolutionItems; ++i) {
    Add({Item::DisplayMode, i}, u"", resolution, /*visible=*/false);
  }

  Add({Item::ResolutionSeparator}, u"-", root);
  Add({Item::ReleaseMemory}, u"メモリーリークを治す", root);
  Add({Item::RestartExplorer}, u"エクスプローラを再起動する", root);
  Add({Item::ToolsSeparator}, u"-", root);
  Add({Item::Settings}, u"設定の変更", root);
  Add({Item::ToolSettings}, u"ツール設定の変更", root);
  const int monitor = Add({Item::Monitor}, u"プロセス監視", root);
  Add({Item::MonitorSettings}, u"設定の変更", monitor);
  Add({Item::MonitorSeparator}, u"-", monitor);
  Add({Item::MonitorOn}, u"監視する", monitor);
  Add({Item::MonitorOff}, u"監視しない", monitor, /*visible=*/true, /*checked=*/true);
  Add({Item::ExitSeparator}, u"-", root);
  Add({Item::Exit}, u"終了", root);
}

int MenuTree::Add(ItemKey key, std::u16string caption, int parent, bool visible,
                  bool checked) {
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
