#include <windows.h>
// after windows.h
#include <objbase.h>

#include <string_view>

#include "platform/win32/clock_win32.h"
#include "platform/win32/display_win32.h"
#include "platform/win32/dll_search.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/memory_status_win32.h"
#include "platform/win32/menu_theme_win32.h"
#include "platform/win32/message_boxes_win32.h"
#include "platform/win32/own_process_win32.h"
#include "platform/win32/popup_menus_win32.h"
#include "platform/win32/process_launcher_win32.h"
#include "platform/win32/processes_win32.h"
#include "platform/win32/resource_meter_win32.h"
#include "platform/win32/session_win32.h"
#include "platform/win32/shell_windows_win32.h"
#include "platform/win32/timers_win32.h"
#include "platform/win32/tray_icon_win32.h"
#include "platform/win32/wave_out_win32.h"
#include "tidewarden/priority_window_win32.h"
#include "tidewarden/program_title.h"
#include "tidewarden/tray/menu_theme.h"
#include "tidewarden/tray_assembly.h"

namespace {

constexpr UINT kTrayCallback = WM_APP + 1;
constexpr UINT kSessionChange = 0x02B1;  // WM_WTSSESSION_CHANGE
constexpr wchar_t kWindowClass[] = L"TidewardenMain";
constexpr wchar_t kInstanceName[] = L"Local\\Tidewarden.TrayProgram";

// What the main window's procedure reaches through the window.
struct MainWindowTarget {
  tidewarden::TrayProgram& program;
  tidewarden::MenuThemeFollower& menuTheme;
  UINT taskbarCreated;
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* target = reinterpret_cast<MainWindowTarget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (target != nullptr) {
    tidewarden::TrayProgram& program = target->program;
    switch (message) {
      case kTrayCallback:
        // Version 4: the anchor in wParam, screen coordinates that are negative left of and
        // above the primary monitor.
        program.OnTrayMessage(LOWORD(lParam), {static_cast<short>(LOWORD(wParam)),
                                               static_cast<short>(HIWORD(wParam))});
        return 0;
      case WM_DISPLAYCHANGE: program.OnDisplayChanged(); return 0;
      case WM_SETTINGCHANGE: {
        const auto* area = reinterpret_cast<const char16_t*>(lParam);
        target->menuTheme.OnSettingChange(
            static_cast<unsigned>(wParam),
            area != nullptr ? std::u16string_view(area) : std::u16string_view());
        return 0;
      }
      case kSessionChange: program.OnSessionChange(static_cast<unsigned>(wParam)); return 0;
      case WM_TIMER:
        if (wParam == static_cast<WPARAM>(platform::TimerId::Check)) program.OnCheckTimer();
        if (wParam == static_cast<WPARAM>(platform::TimerId::Tooltip)) program.OnTooltipTimer();
        if (wParam == static_cast<WPARAM>(platform::TimerId::ModeTest)) program.OnModeTestTimer();
        return 0;
      case WM_CLOSE:
      case WM_ENDSESSION:
        if (message == WM_CLOSE || wParam != 0) program.Exit();
        return 0;
      default:
        if (message == target->taskbarCreated && target->taskbarCreated != 0) {
          program.OnTaskbarCreated();
          return 0;
        }
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The shell announces a new taskbar from a process of lower integrity: a copy started
// elevated never hears it unless the message is let through. Looked up, not imported: the
// per-window filter is missing before Windows 7 and any filter before Vista.
void LetTaskbarCreatedThrough(HWND window, UINT taskbarCreated) {
  HMODULE user = GetModuleHandleW(L"user32.dll");
  if (user == nullptr || taskbarCreated == 0) return;
  using PerWindowFilter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  using ProcessFilter = BOOL(WINAPI*)(UINT, DWORD);
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, MSGFLT_ADD
  if (auto perWindow =
          platform::win32::ExportOf<PerWindowFilter>(user, "ChangeWindowMessageFilterEx")) {
    perWindow(window, taskbarCreated, kAllow, nullptr);
  } else if (auto process =
                 platform::win32::ExportOf<ProcessFilter>(user, "ChangeWindowMessageFilter")) {
    process(taskbarCreated, kAllow);
  }
}

// Tells the window when the user's session is disconnected and connected again (fast user
// switching, Remote Desktop). Looked up from System32 by its full path: the library is missing
// where there are no terminal services.
class SessionNotifications {
 public:
  explicit SessionNotifications(HWND window)
      : window_(window), library_(platform::win32::LoadSystemLibrary(L"wtsapi32.dll")) {
    using Register = BOOL(WINAPI*)(HWND, DWORD);
    constexpr DWORD kThisSession = 0;  // NOTIFY_FOR_THIS_SESSION
    const auto registerFor =
        platform::win32::ExportOf<Register>(library_, "WTSRegisterSessionNotification");
    registered_ = registerFor != nullptr && registerFor(window_, kThisSession);
  }
  ~SessionNotifications() {
    if (library_ == nullptr) return;
    using Unregister = BOOL(WINAPI*)(HWND);
    const auto unregister =
        platform::win32::ExportOf<Unregister>(library_, "WTSUnRegisterSessionNotification");
    if (registered_ && unregister != nullptr) unregister(window_);
    FreeLibrary(library_);
  }
  SessionNotifications(const SessionNotifications&) = delete;
  SessionNotifications& operator=(const SessionNotifications&) = delete;

 private:
  HWND window_;
  HMODULE library_ = nullptr;
  bool registered_ = false;
};

HWND CreateMainWindow(HINSTANCE instance, HICON icon) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&windowClass)) return nullptr;
  // A real top-level window, never shown: only top-level windows hear "TaskbarCreated".
  const auto* caption = reinterpret_cast<const wchar_t*>(tidewarden::kProgramTitle);
  return CreateWindowExW(0, kWindowClass, caption, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                         instance, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  platform::win32::RestrictDllSearch();
  // Core Audio's volume objects live in this, the one user-interface thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  auto* icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  HWND window = CreateMainWindow(instance, icon);
  if (window == nullptr) return 1;

  platform::win32::ClockWin32 clock;
  platform::win32::FilesWin32 files;
  platform::win32::MemoryStatusWin32 memory;
  platform::win32::ResourceMeterWin32 resourceMeter;
  platform::win32::ProcessLauncherWin32 launcher;
  platform::win32::TrayIconWin32 tray(window, kTrayCallback, instance, 1);
  platform::win32::TimersWin32 timers(window);
  platform::win32::SessionWin32 session;
  platform::win32::AppLifetimeWin32 lifetime(window, kInstanceName);
  platform::win32::OwnProcessWin32 process;
  platform::win32::PopupMenusWin32 popups(window);
  platform::win32::MessageBoxesWin32 boxes;
  platform::win32::WaveOutWin32 waveOut;
  platform::win32::MasterVolumeWin32 masterVolume;
  platform::win32::DisplayWin32 display;
  platform::win32::ProcessesWin32 processes;
  platform::win32::ShellWindowsWin32 shellWindows;
  platform::win32::EventPumpWin32 pump;
  tidewarden::TrayAssembly parts(
      {{clock, files, resourceMeter, tray, timers, session, lifetime, process, popups},
       memory,
       launcher,
       boxes,
       waveOut,
       masterVolume,
       display,
       processes,
       shellWindows,
       pump});
  tidewarden::PriorityWindowWin32 priorityWindow(instance, parts.PriorityWindowParts());
  tidewarden::TrayProgram& program = parts.BuildProgram(priorityWindow);
  platform::win32::MenuThemeWin32 menuTheme;
  tidewarden::MenuThemeFollower menuThemeFollower(menuTheme);
  menuThemeFollower.Start();
  MainWindowTarget target{program, menuThemeFollower, RegisterWindowMessageW(L"TaskbarCreated")};
  LetTaskbarCreatedThrough(window, target.taskbarCreated);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&target));
  program.Start();
  {
    // Let go of before the window is destroyed, as the system asks.
    const SessionNotifications sessionNotifications(window);
    MSG message{};
    while (!lifetime.QuitRequested() && GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (priorityWindow.HandleDialogMessage(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}
