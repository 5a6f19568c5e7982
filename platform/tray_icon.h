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
  // The notification-area contract the icon's messages follow: 4 when the shell took
  // version 4 at the last add (keyboard and context-menu notifications, the anchor point
  // with each), else 0 (mouse messages only).
  virtual int Version() const = 0;
  // Hands the keyboard focus back to the notification area, after a menu that was opened from
  // the keyboard.
  virtual void ReturnFocus() = 0;
};

}  // namespace platform
