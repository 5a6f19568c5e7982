#include "platform/win32/dll_search.h"

#include <string>

namespace platform::win32 {

void RestrictDllSearch() {
  // SetDefaultDllDirectories is missing on systems without the KB2533623 update, so it is
  // looked up rather than imported; the fallback at least drops the current directory.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const auto setDefault = ExportOf<SetDefaultDllDirectoriesFn>(GetModuleHandleW(L"kernel32.dll"),
                                                               "SetDefaultDllDirectories");
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t system[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryW((std::wstring(system, length) + L"\\" + name).c_str());
}

}  // namespace platform::win32
