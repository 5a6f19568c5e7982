#pragma once

namespace tidewarden {

// Opens the priority window on screen: a new one when none is open, else the open one again.
// The tray program's menu asks for it; the window on screen answers.
class PriorityWindowHost {
 public:
  virtual ~PriorityWindowHost() = default;
  virtual void ShowPriorityWindow() = 0;
};

}  // namespace tidewarden
