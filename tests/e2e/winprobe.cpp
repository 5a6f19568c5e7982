// winprobe: the end-to-end tests' hands and eyes inside the Wine desktop. A console program
// that finds, reads and presses the windows of other processes and prints what it saw as one
// line of JSON (UTF-8). Texts on its command line come hex-encoded as UTF-8, so they arrive
// intact whatever the locale of the Wine session.
//
//   winprobe windows                          every top-level window
//   winprobe msgbox HEXTITLE [MS] [press]      wait for a message box with that caption, read
//                                              its text and buttons; "press" clicks its OK
//   winprobe absent HEXTITLE [MS]              wait until no window has that caption
//   winprobe run HEXEXE HEXCMDLINE [MS]        start a program with exactly that command
//                                              line and wait for it; prints its exit code
//   winprobe window-of HEXTITLE                top-level windows with exactly that caption,
//                                              hidden ones too
//   winprobe move X Y [X Y]...                 move the pointer (screen coordinates), through
//                                              each point in turn
//   winprobe click X Y left|right              move there, press and release that button
//   winprobe tooltip [MS]                      wait for a shown tooltip with text; print it
//   winprobe menu-keys [MS] KEY...             wait for a shown popup menu and post keys to
//                                              it: home end up down left right return escape
//   winprobe broadcast-taskbarcreated          tell every top-level window the taskbar was
//                                              (re)created, as Explorer does after a restart
//   winprobe memory                            physical memory as programs see it
//   winprobe screen                            screen size and pointer position
//   winprobe display-mode W H BITS             switch the display (and store it)
//   winprobe procstats PID                     CPU time, private bytes, handles, GDI objects
//   winprobe menu-latency X Y left|right       click and time until a popup menu shows
//   winprobe controls HEXTITLE HEXCLASS        a window's controls: class, id, text, enabled,
//                                              place in its client area, check marks, combo
//                                              and list box entries and selection; and which
//                                              control has the focus
//   winprobe combo-pick HEXTITLE HEXCLASS ID N select entry N of that combo box and tell its
//                                              window, as a user's pick does
//   winprobe close HEXTITLE HEXCLASS           close that window as its close box does
//   winprobe keys KEY...                       type keys into the foreground window: tab
//                                              shift-tab return space up down escape
//   winprobe list-pick HEXTITLE HEXCLASS ID N  select row N of that list box (-1: none) and
//                                              tell its window, as a user's click does
//   winprobe press HEXTITLE HEXCLASS ID        click the button with that id (BM_CLICK)
//   winprobe processes                         running processes: id, parent, exe name,
//                                              threads, base priority
//   winprobe priority PID [PID]...             the priority classes of processes
//   winprobe set-priority PID CLASS            set it (CLASS as a number, 0x.. allowed), as
//                                              another tool would
#include <windows.h>
// after windows.h
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "probe_text.h"

namespace {

using probe_text::FromHexUtf8;
using probe_text::Json;

// Control texts of another process must be asked for with the W message (GetWindowText does
// not ask other processes for controls, and the A message loses the Japanese); a timeout
// keeps a hung window from hanging the probe.
std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
    return {};
  }
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                           reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000, &got)) {
    return {};
  }
  text.resize(static_cast<size_t>(got));
  return text;
}

// A top-level window's caption is kept by the system, so reading it never waits on the owner.
std::wstring CaptionOf(HWND window) {
  wchar_t caption[512] = {};
  GetWindowTextW(window, caption, 512);
  return caption;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> windows;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

HWND FindByCaption(const std::wstring& caption, const wchar_t* className) {
  for (HWND window : TopLevelWindows()) {
    if (className != nullptr && ClassOf(window) != className) continue;
    if (CaptionOf(window) == caption) return window;
  }
  return nullptr;
}

int ReadMessageBox(const std::wstring& title, DWORD timeoutMs, bool press) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  HWND box = nullptr;
  while ((box = FindByCaption(title, L"#32770")) == nullptr) {
    if (GetTickCount64() > deadline) {
      std::printf("{\"found\":false}\n");
      return 1;
    }
    Sleep(50);
  }
  std::wstring text;
  std::string buttons;
  for (HWND child : ChildWindows(box)) {
    if (GetDlgCtrlID(child) == 0xFFFF && ClassOf(child) == L"Static") text = TextOf(child);
    if (ClassOf(child) == L"Button") {
      if (!buttons.empty()) buttons += ',';
      buttons += Json(TextOf(child));
    }
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(box, &pid);
  std::printf("{\"found\":true,\"pid\":%lu,\"title\":%s,\"text\":%s,\"buttons\":[%s]}\n", pid,
              Json(CaptionOf(box)).c_str(), Json(text).c_str(), buttons.c_str());
  std::fflush(stdout);
  if (press) {
    HWND ok = GetDlgItem(box, IDOK);
    if (ok == nullptr) return 2;
    SendMessageW(ok, BM_CLICK, 0, 0);
  }
  return 0;
}

int WaitAbsent(const std::wstring& title, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (FindByCaption(title, nullptr) != nullptr) {
    if (GetTickCount64() > deadline) {
      std::printf("{\"absent\":false}\n");
      return 1;
    }
    Sleep(50);
  }
  std::printf("{\"absent\":true}\n");
  return 0;
}

int RunProgram(const std::wstring& exe, std::wstring commandLine, DWORD timeoutMs) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    std::printf("{\"started\":false,\"error\":%lu}\n", GetLastError());
    return 1;
  }
  CloseHandle(info.hThread);
  const bool ended = WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0;
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  if (!ended) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hProcess);
  std::printf("{\"started\":true,\"ended\":%s,\"exit\":%lu}\n", ended ? "true" : "false",
              code);
  return ended ? 0 : 1;
}

std::string WindowJson(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char head[96];
  std::snprintf(head, sizeof head, "{\"hwnd\":%llu,\"pid\":%lu,\"class\":",
                static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)), pid);
  return head + Json(ClassOf(window)) + ",\"title\":" + Json(CaptionOf(window)) +
         ",\"visible\":" + (IsWindowVisible(window) ? "true" : "false") + "}";
}

int ListWindows() {
  std::string list;
  for (HWND window : TopLevelWindows()) {
    if (!list.empty()) list += ',';
    list += WindowJson(window);
  }
  std::printf("[%s]\n", list.c_str());
  return 0;
}

int WindowsOf(const std::wstring& title) {
  std::string list;
  for (HWND window : TopLevelWindows()) {
    if (CaptionOf(window) != title) continue;
    if (!list.empty()) list += ',';
    list += WindowJson(window);
  }
  std::printf("[%s]\n", list.c_str());
  return 0;
}

INPUT MouseInput(DWORD flags, LONG dx = 0, LONG dy = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = flags;
  return input;
}

// A move through SendInput, so the window under the pointer gets its mouse messages as from
// a real mouse; SetCursorPos only corrects a rounding miss of the 0..65535 scale.
bool MovePointer(int x, int y) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  if (width <= 0 || height <= 0) return false;
  INPUT move = MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE,
                          static_cast<LONG>((x * 65536LL + width - 1) / width),
                          static_cast<LONG>((y * 65536LL + height - 1) / height));
  if (SendInput(1, &move, sizeof move) != 1) return false;
  Sleep(50);
  POINT at{};
  if (GetCursorPos(&at) && (at.x != x || at.y != y)) SetCursorPos(x, y);
  return GetCursorPos(&at) && at.x == x && at.y == y;
}

int Move(const std::vector<POINT>& path) {
  bool moved = true;
  for (const POINT& point : path) moved = MovePointer(point.x, point.y) && moved;
  std::printf("{\"moved\":%s}\n", moved ? "true" : "false");
  return moved ? 0 : 1;
}

int Click(int x, int y, const std::wstring& button) {
  DWORD down = 0, up = 0;
  if (button == L"left") {
    down = MOUSEEVENTF_LEFTDOWN;
    up = MOUSEEVENTF_LEFTUP;
  } else if (button == L"right") {
    down = MOUSEEVENTF_RIGHTDOWN;
    up = MOUSEEVENTF_RIGHTUP;
  } else {
    std::printf("{\"clicked\":false,\"error\":\"button\"}\n");
    return 64;
  }
  if (!MovePointer(x, y)) {
    std::printf("{\"clicked\":false,\"error\":\"move\"}\n");
    return 1;
  }
  INPUT press = MouseInput(down);
  INPUT release = MouseInput(up);
  const bool ok = SendInput(1, &press, sizeof press) == 1 &&
                  (Sleep(60), SendInput(1, &release, sizeof release) == 1);
  std::printf("{\"clicked\":%s}\n", ok ? "true" : "false");
  return ok ? 0 : 1;
}

// The first shown top-level window of that class for which `accept` says yes.
template <typename Accept>
HWND WaitForShown(const wchar_t* className, DWORD timeoutMs, Accept accept) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    for (HWND window : TopLevelWindows()) {
      if (IsWindowVisible(window) && ClassOf(window) == className && accept(window)) {
        return window;
      }
    }
    if (GetTickCount64() > deadline) return nullptr;
    Sleep(50);
  }
}

int ReadTooltip(DWORD timeoutMs) {
  std::wstring text;
  HWND tip = WaitForShown(L"tooltips_class32", timeoutMs, [&](HWND window) {
    text = TextOf(window);
    return !text.empty();
  });
  if (tip == nullptr) {
    std::printf("{\"found\":false}\n");
    return 1;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(tip, &pid);
  std::printf("{\"found\":true,\"pid\":%lu,\"text\":%s}\n", pid, Json(text).c_str());
  return 0;
}

// Another process's popup menu cannot be read, but its tracking loop takes keys posted to it.
int MenuKeys(DWORD timeoutMs, const std::vector<std::wstring>& names) {
  static const struct {
    const wchar_t* name;
    WPARAM key;
  } kKeys[] = {{L"home", VK_HOME}, {L"end", VK_END},       {L"up", VK_UP},
               {L"down", VK_DOWN}, {L"left", VK_LEFT},     {L"right", VK_RIGHT},
               {L"return", VK_RETURN}, {L"escape", VK_ESCAPE}};
  std::vector<WPARAM> keys;
  for (const std::wstring& name : names) {
    WPARAM key = 0;
    for (const auto& known : kKeys) {
      if (name == known.name) key = known.key;
    }
    if (key == 0) {
      std::printf("{\"found\":false,\"error\":\"unknown key\",\"key\":%s}\n",
                  Json(name).c_str());
      return 64;
    }
    keys.push_back(key);
  }
  HWND menu = WaitForShown(L"#32768", timeoutMs, [](HWND) { return true; });
  if (menu == nullptr) {
    std::printf("{\"found\":false}\n");
    return 1;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(menu, &pid);
  size_t posted = 0;
  for (const WPARAM key : keys) {
    Sleep(150);
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    if (!PostMessageW(menu, WM_KEYDOWN, key, static_cast<LPARAM>(1u | (scan << 16)))) break;
    ++posted;
  }
  std::printf("{\"found\":true,\"pid\":%lu,\"posted\":%zu}\n", pid, posted);
  return posted == keys.size() ? 0 : 1;
}

int BroadcastTaskbarCreated() {
  const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  const bool posted = message != 0 && PostMessageW(HWND_BROADCAST, message, 0, 0);
  std::printf("{\"posted\":%s,\"message\":%u}\n", posted ? "true" : "false", message);
  return posted ? 0 : 1;
}

int Screen() {
  POINT at{};
  const bool known = GetCursorPos(&at) != FALSE;
  std::printf("{\"width\":%d,\"height\":%d,\"pointer\":%s}\n", GetSystemMetrics(SM_CXSCREEN),
              GetSystemMetrics(SM_CYSCREEN),
              known ? ("[" + std::to_string(at.x) + "," + std::to_string(at.y) + "]").c_str()
                    : "null");
  return 0;
}

// Puts the display back where a test changed it, whatever the program under test did.
int SetDisplayMode(int width, int height, int bits) {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmBitsPerPel = static_cast<DWORD>(bits);
  const LONG result = ChangeDisplaySettingsW(&mode, CDS_UPDATEREGISTRY);
  std::printf("{\"result\":%ld}\n", result);
  return result == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
}

// The process's handles, counted in the system's handle table: Wine answers
// GetProcessHandleCount with 0. -1 when the table cannot be read.
long HandlesInSystemTable(DWORD pid) {
  struct Entry {
    USHORT process;
    USHORT backTrace;
    UCHAR type;
    UCHAR attributes;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return -1;
  constexpr ULONG kSystemHandleInformation = 16;
  std::vector<unsigned char> buffer(1u << 20);
  for (int attempt = 0; attempt < 6; ++attempt, buffer.resize(buffer.size() * 4)) {
    ULONG needed = 0;
    if (query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
              &needed) != 0) {
      continue;
    }
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const size_t first = sizeof(ULONG_PTR);  // the count, padded to the entries' alignment
    if (first + static_cast<size_t>(count) * sizeof(Entry) > buffer.size()) return -1;
    long mine = 0;
    for (ULONG i = 0; i < count; ++i) {
      Entry entry{};
      std::memcpy(&entry, buffer.data() + first + i * sizeof(Entry), sizeof entry);
      mine += entry.process == static_cast<USHORT>(pid) ? 1 : 0;
    }
    return mine;
  }
  return -1;
}

// What a process costs the system now: CPU time, private bytes, handles, GDI and USER objects.
// GDI and USER are 0 under Wine; menuprobe's census counts those from inside the process.
int ProcessStats(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (process == nullptr) {
    std::printf("{\"found\":false,\"error\":%lu}\n", GetLastError());
    return 1;
  }
  FILETIME created{}, exited{}, kernel{}, user{};
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  const auto seconds = [](const FILETIME& time) {
    return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime) / 1e7;
  };
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                       sizeof memory);
  DWORD counted = 0;
  GetProcessHandleCount(process, &counted);
  const long handles = counted != 0 ? static_cast<long>(counted) : HandlesInSystemTable(pid);
  std::printf("{\"found\":true,\"cpu_seconds\":%.3f,\"private_bytes\":%llu,"
              "\"working_set\":%llu,\"handles\":%ld,\"gdi\":%lu,\"user\":%lu}\n",
              seconds(kernel) + seconds(user),
              static_cast<unsigned long long>(memory.PrivateUsage),
              static_cast<unsigned long long>(memory.WorkingSetSize), handles,
              GetGuiResources(process, GR_GDIOBJECTS), GetGuiResources(process, GR_USEROBJECTS));
  CloseHandle(process);
  return 0;
}

// Presses a button and times from its release until a popup menu is on screen (the tray
// program opens its menu on the release).
int MenuLatency(int x, int y, const std::wstring& button) {
  const bool left = button == L"left";
  if (!MovePointer(x, y)) {
    std::printf("{\"shown\":false,\"error\":\"move\"}\n");
    return 1;
  }
  INPUT press = MouseInput(left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN);
  INPUT release = MouseInput(left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP);
  SendInput(1, &press, sizeof press);
  Sleep(60);
  LARGE_INTEGER frequency{}, start{}, now{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  SendInput(1, &release, sizeof release);
  for (;;) {
    HWND popup = FindWindowW(L"#32768", nullptr);
    QueryPerformanceCounter(&now);
    const double ms = static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
                      static_cast<double>(frequency.QuadPart);
    if (popup != nullptr && IsWindowVisible(popup)) {
      std::printf("{\"shown\":true,\"ms\":%.1f}\n", ms);
      return 0;
    }
    if (ms > 10000) {
      std::printf("{\"shown\":false}\n");
      return 1;
    }
    Sleep(1);
  }
}

int Memory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) {
    std::printf("{\"error\":%lu}\n", GetLastError());
    return 1;
  }
  std::printf("{\"total\":%llu,\"avail\":%llu}\n", status.ullTotalPhys, status.ullAvailPhys);
  return 0;
}


// --- Controls of another program's window ---------------------------------------------------

HWND FindWindowOf(const std::wstring& caption, const std::wstring& className) {
  for (HWND window : TopLevelWindows()) {
    if (ClassOf(window) == className && CaptionOf(window) == caption) return window;
  }
  return nullptr;
}

std::wstring ComboItem(HWND combo, WPARAM index) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, index, 0, SMTO_ABORTIFHUNG, 2000, &length) ||
      static_cast<LRESULT>(length) == CB_ERR) {
    return {};
  }
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &got);
  text.resize(static_cast<LRESULT>(got) == CB_ERR ? 0 : static_cast<size_t>(got));
  return text;
}

std::wstring ListItem(HWND list, WPARAM index) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(list, LB_GETTEXTLEN, index, 0, SMTO_ABORTIFHUNG, 2000, &length) ||
      static_cast<LRESULT>(length) == LB_ERR) {
    return {};
  }
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &got);
  text.resize(static_cast<LRESULT>(got) == LB_ERR ? 0 : static_cast<size_t>(got));
  return text;
}

std::string RectJson(const RECT& rect) {
  return "[" + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
         std::to_string(rect.right - rect.left) + "," + std::to_string(rect.bottom - rect.top) +
         "]";
}

int Controls(const std::wstring& caption, const std::wstring& className) {
  HWND window = FindWindowOf(caption, className);
  if (window == nullptr) {
    std::printf("{\"found\":false}\n");
    return 1;
  }
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  OffsetRect(&client, origin.x, origin.y);
  RECT frame{};
  GetWindowRect(window, &frame);
  DWORD pid = 0;
  const DWORD thread = GetWindowThreadProcessId(window, &pid);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  const bool knowsFocus = GetGUIThreadInfo(thread, &gui) != FALSE;
  std::string list;
  for (HWND child : ChildWindows(window)) {
    if (GetParent(child) != window) continue;  // a combo box's own edit or list
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    const std::wstring kind = ClassOf(child);
    std::string entry = "{\"id\":" + std::to_string(GetDlgCtrlID(child)) +
                        ",\"class\":" + Json(kind) + ",\"text\":" + Json(TextOf(child)) +
                        ",\"enabled\":" + (IsWindowEnabled(child) ? "true" : "false") +
                        ",\"visible\":" + (IsWindowVisible(child) ? "true" : "false") +
                        ",\"rect\":" + RectJson(rect);
    if (_wcsicmp(kind.c_str(), L"Button") == 0) {
      DWORD_PTR check = 0;
      SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &check);
      entry += std::string(",\"checked\":") + (check == BST_CHECKED ? "true" : "false");
    }
    if (_wcsicmp(kind.c_str(), L"ListBox") == 0) {
      DWORD_PTR count = 0, selected = 0;
      SendMessageTimeoutW(child, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
      SendMessageTimeoutW(child, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selected);
      std::string items;
      for (WPARAM i = 0; i < static_cast<WPARAM>(count); ++i) {
        if (!items.empty()) items += ',';
        items += Json(ListItem(child, i));
      }
      entry += ",\"items\":[" + items + "],\"selected\":" +
               std::to_string(static_cast<long long>(static_cast<LRESULT>(selected)));
    }
    if (_wcsicmp(kind.c_str(), L"ComboBox") == 0) {
      DWORD_PTR count = 0, selected = 0;
      SendMessageTimeoutW(child, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
      SendMessageTimeoutW(child, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selected);
      std::string items;
      for (WPARAM i = 0; i < static_cast<WPARAM>(count); ++i) {
        if (!items.empty()) items += ',';
        items += Json(ComboItem(child, i));
      }
      entry += ",\"items\":[" + items + "],\"selected\":" +
               std::to_string(static_cast<long long>(static_cast<LRESULT>(selected)));
    }
    if (!list.empty()) list += ',';
    list += entry + "}";
  }
  const int focus = knowsFocus && gui.hwndFocus != nullptr ? GetDlgCtrlID(gui.hwndFocus) : -1;
  std::printf("{\"found\":true,\"hwnd\":%llu,\"pid\":%lu,\"visible\":%s,\"enabled\":%s,"
              "\"foreground\":%s,\"frame\":%s,\"client\":%s,\"focus\":%d,\"controls\":[%s]}\n",
              static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)), pid,
              IsWindowVisible(window) ? "true" : "false",
              IsWindowEnabled(window) ? "true" : "false",
              GetForegroundWindow() == window ? "true" : "false", RectJson(frame).c_str(),
              RectJson(client).c_str(), focus, list.c_str());
  return 0;
}

// CB_SETCURSEL tells nobody; a user's pick also sends CBN_SELCHANGE to the parent.
int ComboPick(const std::wstring& caption, const std::wstring& className, int id, int index) {
  HWND window = FindWindowOf(caption, className);
  HWND combo = window != nullptr ? GetDlgItem(window, id) : nullptr;
  if (combo == nullptr) {
    std::printf("{\"picked\":false,\"error\":\"no such combo box\"}\n");
    return 1;
  }
  DWORD_PTR selected = 0;
  SendMessageTimeoutW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG, 2000,
                      &selected);
  const bool picked = static_cast<LRESULT>(selected) == index;
  DWORD_PTR ignored = 0;
  if (picked) {
    SendMessageTimeoutW(window, WM_COMMAND,
                        MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(CBN_SELCHANGE)),
                        reinterpret_cast<LPARAM>(combo), SMTO_ABORTIFHUNG, 5000, &ignored);
  }
  std::printf("{\"picked\":%s}\n", picked ? "true" : "false");
  return picked ? 0 : 1;
}

// LB_SETCURSEL tells nobody either; a user's click also sends LBN_SELCHANGE to the parent.
int ListPick(const std::wstring& caption, const std::wstring& className, int id, int index) {
  HWND window = FindWindowOf(caption, className);
  HWND list = window != nullptr ? GetDlgItem(window, id) : nullptr;
  if (list == nullptr) {
    std::printf("{\"picked\":false,\"error\":\"no such list box\"}\n");
    return 1;
  }
  DWORD_PTR result = 0;
  SendMessageTimeoutW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG, 2000,
                      &result);
  // Clearing the selection (-1) answers LB_ERR by design.
  const bool picked = index < 0 || static_cast<LRESULT>(result) == index;
  DWORD_PTR ignored = 0;
  if (picked) {
    SendMessageTimeoutW(window, WM_COMMAND,
                        MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(LBN_SELCHANGE)),
                        reinterpret_cast<LPARAM>(list), SMTO_ABORTIFHUNG, 5000, &ignored);
  }
  std::printf("{\"picked\":%s}\n", picked ? "true" : "false");
  return picked ? 0 : 1;
}

// A button press may open a modal box that holds the answer back; the timeout says so
// ("answered": false) instead of hanging the probe.
int Press(const std::wstring& caption, const std::wstring& className, int id) {
  HWND window = FindWindowOf(caption, className);
  HWND button = window != nullptr ? GetDlgItem(window, id) : nullptr;
  if (button == nullptr) {
    std::printf("{\"pressed\":false,\"error\":\"no such button\"}\n");
    return 1;
  }
  DWORD_PTR ignored = 0;
  const bool answered =
      SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
  std::printf("{\"pressed\":true,\"answered\":%s}\n", answered ? "true" : "false");
  return 0;
}

int Processes() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) {
    std::printf("{\"error\":%lu}\n", GetLastError());
    return 1;
  }
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  std::string list;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (!list.empty()) list += ',';
    list += "{\"pid\":" + std::to_string(entry.th32ProcessID) +
            ",\"parent\":" + std::to_string(entry.th32ParentProcessID) +
            ",\"name\":" + Json(entry.szExeFile) +
            ",\"threads\":" + std::to_string(entry.cntThreads) +
            ",\"base\":" + std::to_string(entry.pcPriClassBase) + "}";
  }
  CloseHandle(snapshot);
  std::printf("[%s]\n", list.c_str());
  return 0;
}

// The classes of several processes in one go, so a test reads them all within one moment;
// null for a process that cannot be opened or read.
int Priorities(const std::vector<DWORD>& pids) {
  std::string list;
  bool all = true;
  for (const DWORD pid : pids) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    const DWORD priority = process != nullptr ? GetPriorityClass(process) : 0;
    if (process != nullptr) CloseHandle(process);
    if (!list.empty()) list += ',';
    list += priority != 0 ? std::to_string(priority) : "null";
    all = all && priority != 0;
  }
  std::printf("{\"classes\":[%s]}\n", list.c_str());
  return all ? 0 : 1;
}

int SetPriority(DWORD pid, DWORD priority) {
  HANDLE process = OpenProcess(PROCESS_SET_INFORMATION, FALSE, pid);
  if (process == nullptr) {
    std::printf("{\"set\":false,\"error\":%lu}\n", GetLastError());
    return 1;
  }
  const bool set = SetPriorityClass(process, priority) != FALSE;
  const DWORD error = GetLastError();
  CloseHandle(process);
  std::printf("{\"set\":%s,\"error\":%lu}\n", set ? "true" : "false", set ? 0UL : error);
  return set ? 0 : 1;
}

int Close(const std::wstring& caption, const std::wstring& className) {
  HWND window = FindWindowOf(caption, className);
  const bool posted = window != nullptr && PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  std::printf("{\"posted\":%s}\n", posted ? "true" : "false");
  return posted ? 0 : 1;
}

int Keys(const std::vector<std::wstring>& names) {
  static const struct {
    const wchar_t* name;
    WORD key;
    bool shift;
  } kKeys[] = {{L"tab", VK_TAB, false},     {L"shift-tab", VK_TAB, true},
               {L"return", VK_RETURN, false}, {L"space", VK_SPACE, false},
               {L"up", VK_UP, false},         {L"down", VK_DOWN, false},
               {L"escape", VK_ESCAPE, false}};
  size_t typed = 0;
  for (const std::wstring& name : names) {
    const auto* known = std::find_if(std::begin(kKeys), std::end(kKeys),
                                     [&](const auto& k) { return name == k.name; });
    if (known == std::end(kKeys)) {
      std::printf("{\"typed\":%zu,\"error\":\"unknown key\",\"key\":%s}\n", typed,
                  Json(name).c_str());
      return 64;
    }
    std::vector<INPUT> inputs;
    auto add = [&](WORD key, bool up) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = key;
      input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
      input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      inputs.push_back(input);
    };
    if (known->shift) add(VK_SHIFT, false);
    add(known->key, false);
    add(known->key, true);
    if (known->shift) add(VK_SHIFT, true);
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) !=
        inputs.size()) {
      break;
    }
    ++typed;
    Sleep(150);  // each key is handled before the next arrives
  }
  std::printf("{\"typed\":%zu}\n", typed);
  return typed == names.size() ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::vector<std::wstring> args(argv + 1, argv + argc);
  auto timeoutAt = [&](size_t i) {
    return args.size() > i ? static_cast<DWORD>(std::wcstoul(args[i].c_str(), nullptr, 10))
                           : DWORD{10000};
  };
  if (args.size() == 1 && args[0] == L"windows") return ListWindows();
  if (args.size() >= 2 && args[0] == L"msgbox") {
    return ReadMessageBox(FromHexUtf8(args[1]), timeoutAt(2),
                          args.size() > 3 && args[3] == L"press");
  }
  if (args.size() >= 2 && args[0] == L"absent") {
    return WaitAbsent(FromHexUtf8(args[1]), timeoutAt(2));
  }
  if (args.size() >= 3 && args[0] == L"run") {
    return RunProgram(FromHexUtf8(args[1]), FromHexUtf8(args[2]), timeoutAt(3));
  }
  auto intAt = [&](size_t i) {
    return static_cast<int>(std::wcstol(args[i].c_str(), nullptr, 10));
  };
  auto isNumber = [](const std::wstring& text) {
    return !text.empty() && text.find_first_not_of(L"0123456789") == std::wstring::npos;
  };
  if (args.size() == 2 && args[0] == L"window-of") return WindowsOf(FromHexUtf8(args[1]));
  if (args.size() >= 3 && args.size() % 2 == 1 && args[0] == L"move") {
    std::vector<POINT> path;
    for (size_t i = 1; i + 1 < args.size(); i += 2) path.push_back({intAt(i), intAt(i + 1)});
    return Move(path);
  }
  if (args.size() == 4 && args[0] == L"click") return Click(intAt(1), intAt(2), args[3]);
  if (args.size() <= 2 && !args.empty() && args[0] == L"tooltip") {
    return ReadTooltip(timeoutAt(1));
  }
  if (args.size() >= 2 && args[0] == L"menu-keys") {
    const bool timed = isNumber(args[1]);
    return MenuKeys(timed ? timeoutAt(1) : DWORD{10000},
                    std::vector<std::wstring>(args.begin() + (timed ? 2 : 1), args.end()));
  }
  if (args.size() == 1 && args[0] == L"broadcast-taskbarcreated") {
    return BroadcastTaskbarCreated();
  }
  if (args.size() == 1 && args[0] == L"memory") return Memory();
  if (args.size() == 1 && args[0] == L"screen") return Screen();
  if (args.size() == 2 && args[0] == L"procstats") return ProcessStats(static_cast<DWORD>(intAt(1)));
  if (args.size() == 4 && args[0] == L"menu-latency") {
    return MenuLatency(intAt(1), intAt(2), args[3]);
  }
  if (args.size() == 4 && args[0] == L"display-mode") {
    return SetDisplayMode(intAt(1), intAt(2), intAt(3));
  }
  if (args.size() == 3 && args[0] == L"controls") {
    return Controls(FromHexUtf8(args[1]), FromHexUtf8(args[2]));
  }
  if (args.size() == 5 && args[0] == L"combo-pick") {
    return ComboPick(FromHexUtf8(args[1]), FromHexUtf8(args[2]), intAt(3), intAt(4));
  }
  if (args.size() == 3 && args[0] == L"close") {
    return Close(FromHexUtf8(args[1]), FromHexUtf8(args[2]));
  }
  if (args.size() == 5 && args[0] == L"list-pick") {
    return ListPick(FromHexUtf8(args[1]), FromHexUtf8(args[2]), intAt(3), intAt(4));
  }
  if (args.size() == 4 && args[0] == L"press") {
    return Press(FromHexUtf8(args[1]), FromHexUtf8(args[2]), intAt(3));
  }
  auto numberAt = [&](size_t i) {
    return static_cast<DWORD>(std::wcstoul(args[i].c_str(), nullptr, 0));
  };
  if (args.size() == 1 && args[0] == L"processes") return Processes();
  if (args.size() >= 2 && args[0] == L"priority") {
    std::vector<DWORD> pids;
    for (size_t i = 1; i < args.size(); ++i) pids.push_back(numberAt(i));
    return Priorities(pids);
  }
  if (args.size() == 3 && args[0] == L"set-priority") {
    return SetPriority(numberAt(1), numberAt(2));
  }
  if (args.size() >= 2 && args[0] == L"keys") {
    return Keys(std::vector<std::wstring>(args.begin() + 1, args.end()));
  }
  std::fprintf(stderr,
               "usage: winprobe windows | msgbox HEXTITLE [MS] [press] | absent HEXTITLE [MS] |"
               " run HEXEXE HEXCMDLINE [MS] | window-of HEXTITLE | move X Y [X Y]... |"
               " click X Y left|right | tooltip [MS] | menu-keys [MS] KEY... |"
               " broadcast-taskbarcreated | memory | controls HEXTITLE HEXCLASS |"
               " combo-pick HEXTITLE HEXCLASS ID N | close HEXTITLE HEXCLASS | keys KEY... |"
               " list-pick HEXTITLE HEXCLASS ID N | press HEXTITLE HEXCLASS ID | processes |"
               " priority PID [PID]... | set-priority PID CLASS\n");
  return 64;
}
