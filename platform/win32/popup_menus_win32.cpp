#include "platform/win32/popup_menus_win32.h"

#include "platform/win32/wide_text.h"

namespace platform::win32 {
namespace {

HMENU Build(const std::vector<MenuEntry>& entries) {
  HMENU menu = CreatePopupMenu();
  for (const MenuEntry& entry : entries) {
    if (entry.separator) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else if (entry.submenu) {
      AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(Build(entry.children)),
                  Wide(entry.caption));
    } else {
      AppendMenuW(menu, entry.checked ? UINT{MF_STRING | MF_CHECKED} : UINT{MF_STRING},
                  static_cast<UINT_PTR>(entry.id), Wide(entry.caption));
    }
  }
  return menu;
}

}  // namespace

std::optional<int> PopupMenusWin32::Track(const std::vector<MenuEntry>& entries, PopupAlign align,
                                          std::optional<ScreenPoint> at) {
  HMENU menu = Build(entries);
  POINT pointer{};
  if (at) {
    pointer = {at->x, at->y};
  } else {
    GetCursorPos(&pointer);
  }
  // The window must be in the foreground, or the menu does not close when the user clicks
  // elsewhere.
  SetForegroundWindow(owner_);
  const UINT flags = TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTBUTTON | TPM_TOPALIGN |
                     (align == PopupAlign::CenterOnPointer ? TPM_CENTERALIGN : TPM_LEFTALIGN);
  const BOOL chosen = TrackPopupMenu(menu, flags, pointer.x, pointer.y, 0, owner_, nullptr);
  // Lets the menu's own messages finish before the next popup.
  PostMessageW(owner_, WM_NULL, 0, 0);
  DestroyMenu(menu);
  if (chosen == 0) return std::nullopt;
  return static_cast<int>(chosen);
}

}  // namespace platform::win32
