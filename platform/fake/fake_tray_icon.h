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
  int Version() const override { return version_; }
  void ReturnFocus() override {
    log_.Add("TrayFocus");
    ++focusReturns_;
  }

  bool refuseAdd_ = false;
  // A taskbar slow to answer at sign-in: the add reports failure although the icon is there.
  bool addTimesOut_ = false;
  bool modifyTimesOut_ = false;
  bool shown_ = false;
  std::u16string tooltip_;
  int version_ = 0;  // a shell that refused version 4
  int focusReturns_ = 0;

 private:
  CallLog& log_;
};

}  // namespace platform::fake
