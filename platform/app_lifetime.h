#pragma once

namespace platform {

// The program's own run: one copy in normal mode, its main window, its end.
class AppLifetime {
 public:
  virtual ~AppLifetime() = default;
  // Claims the one normal-mode place in the user's session; false when another running copy
  // holds it already.
  virtual bool ClaimSingleInstance() = 0;
  // The main window's handle, as the number outside programs use.
  virtual long long MainWindowHandle() = 0;
  // Ends the program once the current event has been handled.
  virtual void Quit() = 0;
};

}  // namespace platform
