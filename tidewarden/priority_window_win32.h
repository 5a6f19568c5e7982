#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "platform/win32/message_boxes_win32.h"
#include "tidewarden/monitor/priority_window.h"
#include "tidewarden/priority_window_host.h"

namespace tidewarden {

// The process-priority window on screen: creates the controls the core's table lists, forwards
// every event to the core and draws the core's state afterwards.
class PriorityWindowWin32 : public PriorityWindowHost {
 public:
  PriorityWindowWin32(HINSTANCE instance, const PriorityWindowPorts& ports);
  ~PriorityWindowWin32() override;
  PriorityWindowWin32(const PriorityWindowWin32&) = delete;
  PriorityWindowWin32& operator=(const PriorityWindowWin32&) = delete;

  void ShowPriorityWindow() override;
  // Keyboard navigation between the controls; true when the message was the window's.
  bool HandleDialogMessage(MSG& message);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK OptionProc(HWND option, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Open();
  void CreateControls();
  // Places every control and sets its font for `dpi`; the client area's size at that DPI.
  SIZE LayOut(int dpi);
  void OnCommand(int id, int code);
  void Draw();
  void Close();
  TextExtent Measure(std::u16string_view caption) const;
  HWND Child(PriorityControlRole role) const;
  std::optional<PriorityControlRole> FocusedPushButton() const;

  HINSTANCE instance_;
  PriorityWindowPorts ports_;
  platform::win32::MessageBoxesWin32 boxes_;  // owned by the window while it is open
  std::unique_ptr<PriorityWindow> core_;
  HWND window_ = nullptr;
  std::vector<HWND> controls_;    // by role
  HWND lastFocus_ = nullptr;      // where the focus goes back to when the window is active again
  WNDPROC buttonProc_ = nullptr;  // the system's, under the option buttons' own
  int userClicks_ = 0;            // an option is handling the user's click or Space
  HFONT uiFont_ = nullptr;
  HFONT listFont_ = nullptr;
};

}  // namespace tidewarden
