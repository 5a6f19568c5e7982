#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "platform/win32/dialog_window.h"
#include "platform/win32/message_boxes_win32.h"
#include "tidewarden/monitor/priority_window.h"
#include "tidewarden/priority_window_host.h"

namespace tidewarden {

// The process-priority window on screen: creates the controls the core's table lists, forwards
// every event to the core and draws the core's state afterwards.
class PriorityWindowWin32 : public PriorityWindowHost, private platform::win32::DialogWindow {
 public:
  PriorityWindowWin32(HINSTANCE instance, const PriorityWindowPorts& ports);
  ~PriorityWindowWin32() override;

  void ShowPriorityWindow() override;
  // Keyboard navigation between the controls; true when the message was the window's.
  bool HandleDialogMessage(MSG& message);

 private:
  static LRESULT CALLBACK OptionProc(HWND option, UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Open();
  void CreateControls() override;
  SIZE LayOut(int dpi) override;
  void OnCommand(int id, int code);
  void Draw();
  void Close();
  TextExtent Measure(std::u16string_view caption) const;
  HWND Child(PriorityControlRole role) const;
  std::optional<PriorityControlRole> FocusedPushButton() const;

  PriorityWindowPorts ports_;
  platform::win32::MessageBoxesWin32 boxes_;  // owned by the window while it is open
  std::unique_ptr<PriorityWindow> core_;
  std::vector<HWND> controls_;    // by role
  WNDPROC buttonProc_ = nullptr;  // the system's, under the option buttons' own
  int userClicks_ = 0;            // an option is handling the user's click or Space
  HFONT uiFont_ = nullptr;
  HFONT listFont_ = nullptr;
};

}  // namespace tidewarden
