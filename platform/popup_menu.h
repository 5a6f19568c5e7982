#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// One entry of a popup menu as it is to be shown; hidden entries are left out by the caller.
struct MenuEntry {
  int id = 0;
  std::u16string caption;
  bool separator = false;
  bool checked = false;
  bool submenu = false;
  std::vector<MenuEntry> children;
};

enum class PopupAlign { CenterOnPointer, LeftAtPointer };

// A point on the virtual screen, in the program's own pixels.
struct ScreenPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ScreenPoint& other) const { return x == other.x && y == other.y; }
};

class PopupMenus {
 public:
  virtual ~PopupMenus() = default;
  // Shows the menu at `at`, or at the mouse pointer when `at` is empty, aligned there as
  // `align` says, and returns when it has closed: the id of the chosen entry, or empty when
  // the user closed it without choosing.
  virtual std::optional<int> Track(const std::vector<MenuEntry>& entries, PopupAlign align,
                                   std::optional<ScreenPoint> at) = 0;
};

}  // namespace platform
