// Keeps a Wine virtual desktop alive during end-to-end tests.
//
// Wine tears its desktop (and the taskbar/tray) down a few seconds after the
// last GUI process exits, so the test harness runs this program for the whole
// session. It owns one hidden top-level window and pumps messages until it is
// asked to close.
//
// Usage: keeper_win32.exe [READY_FILE]
//   READY_FILE (optional, a Windows path): created once the taskbar window
//   ("Shell_TrayWnd") exists, so the harness knows the tray can take icons.
//   If the taskbar never shows up within the wait limit, the file is created
//   with the text "timeout" instead, so the caller never waits blindly.

#include <windows.h>

#include <string>

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 50;
constexpr DWORD kReadyWaitMs = 60000;

std::wstring g_ready_file;
DWORD g_started_at = 0;

void write_ready_file(const char* text) {
  // Write under a temporary name and rename, so a poller never sees a
  // half-written file.
  const std::wstring tmp = g_ready_file + L".tmp";
  HANDLE h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, text, static_cast<DWORD>(lstrlenA(text)), &written, nullptr);
  CloseHandle(h);
  MoveFileExW(tmp.c_str(), g_ready_file.c_str(), MOVEFILE_REPLACE_EXISTING);
}

LRESULT CALLBACK wnd_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      if (wp == kPollTimer) {
        if (FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr) {
          KillTimer(hwnd, kPollTimer);
          write_ready_file("ready\n");
        } else if (GetTickCount() - g_started_at > kReadyWaitMs) {
          KillTimer(hwnd, kPollTimer);
          write_ready_file("timeout\n");
        }
      }
      return 0;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv != nullptr) {
    if (argc > 1) g_ready_file = argv[1];
    LocalFree(argv);
  }

  WNDCLASSW wc = {};
  wc.lpfnWndProc = wnd_proc;
  wc.hInstance = instance;
  wc.lpszClassName = L"TidewardenTestKeeper";
  if (!RegisterClassW(&wc)) return 1;

  // A top-level window on the desktop, never shown. A message-only window
  // (HWND_MESSAGE) would not belong to the desktop at all.
  HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"Tidewarden test keeper",
                              WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
  if (hwnd == nullptr) return 1;

  if (!g_ready_file.empty()) {
    g_started_at = GetTickCount();
    SetTimer(hwnd, kPollTimer, kPollMs, nullptr);
  }

  MSG msg;
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
