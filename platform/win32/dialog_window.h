#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "common/form_controls.h"

namespace platform::win32 {

// What both settings windows share: the window class, the window procedure that finds the
// window's object, making the window on the monitor the user is at and centring it there,
// the controls of each kind, the focus kept across activation and the layout again when the
// window's DPI or the text size changes. A window adds its controls, its layout and its own
// messages.
class DialogWindow {
 public:
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

 protected:
  // Registers the class: the program's icon in both sizes, the dialog background.
  DialogWindow(HINSTANCE instance, const wchar_t* className);
  virtual ~DialogWindow();

  // Makes the window hidden on the monitor the user is at (so it has that monitor's DPI),
  // its controls, lays it out and centres it in that monitor's work area. False when the
  // window could not be made.
  bool CreateDialogWindow(std::u16string_view title, DWORD style);
  // A child control of `kind` with the style every such control has, plus `extraStyle` less
  // `droppedStyle`; it reports with `id`.
  HWND CreateControl(common::ControlKind kind, std::u16string_view text, int id,
                     DWORD extraStyle = 0, DWORD droppedStyle = 0);
  // The object of a window made by CreateDialogWindow; null for any other window.
  static DialogWindow* Of(HWND window);
  // The control that gets the focus when the window is active again.
  void RememberFocus(HWND control) { lastFocus_ = control; }

  virtual void CreateControls() = 0;
  // Places every control and sets its fonts for `dpi`; the client area's size at that DPI.
  virtual SIZE LayOut(int dpi) = 0;
  // The window's own messages; empty for those it leaves to the common handling.
  virtual std::optional<LRESULT> Handle(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  HINSTANCE instance_;
  HWND window_ = nullptr;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleCommon(UINT message, WPARAM wParam, LPARAM lParam);
  void KeepInWorkArea();

  const wchar_t* className_;
  HWND lastFocus_ = nullptr;
};

}  // namespace platform::win32
