#include <windows.h>

#include "platform/win32/dll_search.h"

// Stand-in until the tray program arrives: says so and ends.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  platform::win32::RestrictDllSearch();
  MessageBoxW(nullptr, L"Tidewarden は準備中です。", L"Tidewarden ", MB_OK | MB_ICONINFORMATION);
  return 0;
}
