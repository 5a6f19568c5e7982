#pragma once

#include <string>

#include "platform/fake/call_log.h"
#include "platform/tray_icon.h"

namespace platform::fake {

class FakeTrayIcon : public TrayIcon {
 public:
  explicit FakeTrayIcon(CallLog& log) : log_(log) {}

  bool Add(const std::u16string& tooltip) override {
    log_.Add("TrayAdd");
    if (refuseAdd_ || shown_) return false;  // the shell refuses a second add
    shown_ = true;
    tooltip_ = tooltip;
    return !addTimesOut_;
  }
  bool SetTooltip(const std::u16string& tooltip) override {
    log_.Add("TraySetTooltip");
    if (shown_) tooltip_ = tooltip;
    return shown_ && !modifyTimesOut_;
  }
  void Remove() override {
    log_.Add("TrayRemove");
    shown_ = false;
  }

  bool refuseAdd_ = false;
  // A taskbar slow to answer at sign-in: the add reports failure although the icon is there.
  bool addTimesOut_ = false;
  bool modifyTimesOut_ = false;
  bool shown_ = false;
  std::u16string tooltip_;

 private:
  CallLog& log_;
};

}  // namespace platform::fake
