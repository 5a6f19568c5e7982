#pragma once

namespace platform {

// What the system answered when the program asked for its one place in the session.
enum class InstanceClaim {
  Created,        // the place is this copy's
  AlreadyExists,  // another copy holds it
  // Another copy holds it and may not be opened by this one: a copy started elevated, whose
  // place a copy of normal rights may not open.
  AccessDenied,
  Failed,  // no answer either way: rather run than refuse to
};

// Whether the program may run on, by the system's answer.
inline bool ClaimIsOurs(InstanceClaim answer) {
  return answer == InstanceClaim::Created || answer == InstanceClaim::Failed;
}

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
