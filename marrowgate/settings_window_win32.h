#pragma once

#include <windows.h>

#include <array>

#include <optional>

#include "marrowgate/form_layout.h"
#include "marrowgate/settings_form.h"
#include "platform/win32/dialog_window.h"

namespace marrowgate {

// The settings window on the screen: built from the layout table, it hands every event to
// the form and then draws the form's state. It decides nothing itself.
class SettingsWindowWin32 : public FormWindow, private platform::win32::DialogWindow {
 public:
  SettingsWindowWin32(HINSTANCE instance, SettingsForm& form, int showCommand);
  ~SettingsWindowWin32() override;

  void Create() override;
  void Show() override;

  HWND Window() const { return window_; }

 private:
  void CreateControls() override;
  SIZE LayOut(int dpi) override;
  std::optional<LRESULT> Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCommand(int id, int code, HWND from);
  void Draw();
  HWND Child(ControlIndex index) const { return controls_[static_cast<size_t>(index)]; }

  SettingsForm& form_;
  int showCommand_;
  HFONT font_ = nullptr;
  std::array<HWND, 5> controls_{};
};

}  // namespace marrowgate
