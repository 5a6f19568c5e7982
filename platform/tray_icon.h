#pragma once

#include <string>

namespace platform {

// The program's one icon in the notification area.
class TrayIcon {
 public:
  virtual ~TrayIcon() = default;
  // False when the shell refused (no taskbar yet, or the icon is already there).
  virtual bool Add(const std::u16string& tooltip) = 0;
  // False when the shell knows no such icon.
  virtual bool SetTooltip(const std::u16string& tooltip) = 0;
  virtual void Remove() = 0;
};

}  // namespace platform
