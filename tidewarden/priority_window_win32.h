#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

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
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Create();
  void CreateControls();
  void OnCommand(int id, int code);
  void Draw();
  void Close();
  TextExtent Measure(std::u16string_view caption) const;
  HWND Child(PriorityControlRole role) const;

  HINSTANCE instance_;
  PriorityWindowPorts ports_;
  std::unique_ptr<PriorityWindow> core_;
  HWND window_ = nullptr;
  std::vector<HWND> controls_;  // by role
  HFONT uiFont_ = nullptr;
  HFONT listFont_ = nullptr;
  int dpiX_ = 96;
  int dpiY_ = 96;
};

}  // namespace tidewarden
