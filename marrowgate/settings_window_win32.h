#pragma once

#include <windows.h>

#include <array>

#include "marrowgate/form_layout.h"
#include "marrowgate/settings_form.h"

namespace marrowgate {

// The settings window on the screen: built from the layout table, it hands every event to
// the form and then draws the form's state. It decides nothing itself.
class SettingsWindowWin32 : public FormWindow {
 public:
  SettingsWindowWin32(HINSTANCE instance, SettingsForm& form, int showCommand)
      : instance_(instance), form_(form), showCommand_(showCommand) {}
  ~SettingsWindowWin32() override;
  SettingsWindowWin32(const SettingsWindowWin32&) = delete;
  SettingsWindowWin32& operator=(const SettingsWindowWin32&) = delete;

  void Create() override;
  void Show() override;

  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  // Places every control and sets its font for `dpi`; the client area's size at that DPI.
  SIZE LayOut(int dpi);
  void OnCommand(int id, int code, HWND from);
  void Draw();
  HWND Child(ControlIndex index) const { return controls_[static_cast<size_t>(index)]; }

  HINSTANCE instance_;
  SettingsForm& form_;
  int showCommand_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HWND lastFocus_ = nullptr;
  std::array<HWND, 5> controls_{};
};

}  // namespace marrowgate
