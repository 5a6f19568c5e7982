#pragma once

#include <windows.h>

namespace platform::win32 {

// Limits where LoadLibrary looks to System32, so a DLL planted in the program folder or the
// current directory is never loaded. Call first thing in every program.
void RestrictDllSearch();

// Loads a system DLL by its full path in System32; null where it is missing. For the
// libraries a program uses only where they are there, so not imported.
HMODULE LoadSystemLibrary(const wchar_t* name);

// What `library` exports under `name` (or MAKEINTRESOURCEA(ordinal)), as a function of type
// `Function`; null when the library or the export is missing: the functions newer systems
// have, looked up at run time.
template <typename Function>
Function ExportOf(HMODULE library, const char* name) {
  if (library == nullptr) return nullptr;
  // Through a plain function pointer type: FARPROC takes no parameters.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

}  // namespace platform::win32
