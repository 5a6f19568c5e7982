#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/popup_menu.h"

namespace platform::fake {

// Records every popup and "chooses" the entry whose caption is scripted, if any.
class FakePopupMenus : public PopupMenus {
 public:
  std::optional<int> Track(const std::vector<MenuEntry>& entries, PopupAlign align) override {
    shown_.push_back(entries);
    aligns_.push_back(align);
    if (!choose_) return std::nullopt;
    const MenuEntry* found = Find(entries, *choose_);
    return found ? std::optional<int>(found->id) : std::nullopt;
  }

  static const MenuEntry* Find(const std::vector<MenuEntry>& entries,
                               const std::u16string& caption) {
    for (const MenuEntry& entry : entries) {
      if (entry.caption == caption && !entry.submenu) return &entry;
      if (const MenuEntry* inner = Find(entry.children, caption)) return inner;
    }
    return nullptr;
  }

  std::optional<std::u16string> choose_;
  std::vector<std::vector<MenuEntry>> shown_;
  std::vector<PopupAlign> aligns_;
};

}  // namespace platform::fake
