#pragma once

#include <windows.h>

namespace platform::win32 {

// A new copy of the font the system uses for message boxes and dialogs, for a window's
// controls; null when the system does not say which it is. The caller deletes it.
HFONT CreateMessageFont();

}  // namespace platform::win32
