#pragma once

#include <windows.h>

#include "platform/popup_menu.h"

namespace platform::win32 {

class PopupMenusWin32 : public PopupMenus {
 public:
  explicit PopupMenusWin32(HWND owner) : owner_(owner) {}
  std::optional<int> Track(const std::vector<MenuEntry>& entries, PopupAlign align,
                           std::optional<ScreenPoint> at) override;

 private:
  HWND owner_;
};

}  // namespace platform::win32
