#pragma once

namespace tidewarden {

// The tray program's name as its hidden main window and its message boxes carry it; the
// trailing blank is part of it.
inline constexpr char16_t kProgramTitle[] = u"Tidewarden ";

}  // namespace tidewarden
