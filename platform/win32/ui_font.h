#pragma once

#include <windows.h>

namespace platform::win32 {

// The font the system uses for message boxes and dialogs as drawn at `dpi`, the user's text
// size included; false when the system does not say which it is.
bool MessageFontAt(int dpi, LOGFONTW& font);

// A new copy of that font, for a window's controls; null when the system does not say which
// it is. The caller deletes it.
HFONT CreateMessageFont(int dpi);

}  // namespace platform::win32
