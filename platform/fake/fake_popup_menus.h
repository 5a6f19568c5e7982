#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/popup_menu.h"

namespace platform::fake {

// Records every popup and "chooses" the entry whose caption is scripted, if any; a caption
// of the form "submenu/item" looks for the item inside that submenu only. `whileOpen_` runs
// while the menu shows, as messages that arrive during a real menu's own message loop do.
class FakePopupMenus : public PopupMenus {
 public:
  std::optional<int> Track(const std::vector<MenuEntry>& entries, PopupAlign align,
                           std::optional<ScreenPoint> at) override {
    shown_.push_back(entries);
    aligns_.push_back(align);
    places_.push_back(at);
    if (whileOpen_) {
      auto during = std::move(whileOpen_);
      whileOpen_ = nullptr;
      during();
    }
    if (!choose_) return std::nullopt;
    const size_t slash = choose_->find(u'/');
    const MenuEntry* found = nullptr;
    if (slash == std::u16string::npos) {
      found = Find(entries, *choose_);
    } else {
      const std::u16string parent = choose_->substr(0, slash);
      for (const MenuEntry& entry : entries) {
        if (entry.submenu && entry.caption == parent) {
          found = Find(entry.children, choose_->substr(slash + 1));
        }
      }
    }
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
  std::vector<std::optional<ScreenPoint>> places_;  // empty: at the mouse pointer
  std::function<void()> whileOpen_;
};

}  // namespace platform::fake
