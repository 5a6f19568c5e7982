#include <windows.h>

#include "platform/win32/dll_search.h"

// Stand-in until the settings window arrives: says so and ends.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  platform::win32::RestrictDllSearch();
  MessageBoxW(nullptr, L"Marrowgate は準備中です。", L"Marrowgate", MB_OK | MB_ICONINFORMATION);
  return 0;
}
