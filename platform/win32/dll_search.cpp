#include "platform/win32/dll_search.h"

#include <windows.h>

namespace platform::win32 {

void RestrictDllSearch() {
  // SetDefaultDllDirectories is missing on systems without the KB2533623 update, so it is
  // looked up rather than imported; the fallback at least drops the current directory.
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                 GetProcAddress(kernel, "SetDefaultDllDirectories")))
                           : nullptr;
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  SetDllDirectoryW(L"");
}

}  // namespace platform::win32
