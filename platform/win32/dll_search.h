#pragma once

namespace platform::win32 {

// Limits where LoadLibrary looks to System32, so a DLL planted in the program folder or the
// current directory is never loaded. Call first thing in every program.
void RestrictDllSearch();

}  // namespace platform::win32
