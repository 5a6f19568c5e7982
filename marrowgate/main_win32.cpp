#include <windows.h>
// after windows.h
#include <commctrl.h>

#include "marrowgate/settings_form.h"
#include "marrowgate/settings_window_win32.h"
#include "platform/win32/dll_search.h"
#include "platform/win32/message_boxes_win32.h"
#include "platform/win32/profile_strings_win32.h"
#include "platform/win32/session_win32.h"

namespace {

constexpr wchar_t kInstanceName[] = L"Local\\Tidewarden.Marrowgate";

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  platform::win32::RestrictDllSearch();
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  platform::win32::SessionWin32 session;
  platform::win32::ProfileStringsWin32 profile;
  platform::win32::AppLifetimeWin32 lifetime(nullptr, kInstanceName);
  platform::win32::MessageBoxesWin32 boxes;
  marrowgate::SettingsForm form(session, profile, boxes);
  marrowgate::SettingsWindowWin32 window(instance, form, showCommand);

  if (!marrowgate::Start(lifetime, window, form)) return 0;
  if (window.Window() == nullptr) return 1;
  boxes.SetOwner(window.Window());

  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Tab between the controls, Enter on the button.
    if (window.Window() != nullptr && IsDialogMessageW(window.Window(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
