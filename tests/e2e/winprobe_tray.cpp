// winprobe's tray commands: the tooltip and popup menu of a tray icon, the taskbar's restart
// message, and the screen.
#include <string>
#include <vector>

#include "winprobe.h"
// after windows.h
#include <shellapi.h>

namespace winprobe {
namespace {

int ReadTooltip(const Args& args) {
  std::wstring text;
  HWND tip = probe::WaitForShown(L"tooltips_class32", args.Timeout(0), [&](HWND window) {
    text = probe::TextOf(window);
    return !text.empty();
  });
  if (tip == nullptr) return Answer(JsonObject().Bool("found", false), 1);
  return Answer(
      JsonObject().Bool("found", true).Number("pid", probe::ProcessOf(tip)).Text("text", text), 0);
}

// Another process's popup menu cannot be read from here (menuprobe can), but its tracking
// loop takes keys posted to it.
int MenuKeys(const Args& args) {
  static const struct {
    const wchar_t* name;
    WPARAM key;
  } kKeys[] = {{L"home", VK_HOME},     {L"end", VK_END},      {L"up", VK_UP},
               {L"down", VK_DOWN},     {L"left", VK_LEFT},    {L"right", VK_RIGHT},
               {L"return", VK_RETURN}, {L"escape", VK_ESCAPE}};
  const bool timed = args.IsNumber(0);
  std::vector<WPARAM> keys;
  for (const std::wstring& name : args.From(timed ? 1 : 0)) {
    WPARAM key = 0;
    for (const auto& known : kKeys) {
      if (name == known.name) key = known.key;
    }
    if (key == 0) {
      return Answer(
          JsonObject().Bool("found", false).Utf8("error", "unknown key").Text("key", name),
          probe::kUsageStatus);
    }
    keys.push_back(key);
  }
  HWND menu = probe::WaitForShown(probe::kPopupMenuClass, timed ? args.Timeout(0) : DWORD{10000},
                                  [](HWND) { return true; });
  if (menu == nullptr) return Answer(JsonObject().Bool("found", false), 1);
  size_t posted = 0;
  for (const WPARAM key : keys) {
    Sleep(150);
    if (!probe::PostKey(menu, key)) break;
    ++posted;
  }
  return Answer(JsonObject()
                    .Bool("found", true)
                    .Number("pid", probe::ProcessOf(menu))
                    .Number("posted", posted),
                posted == keys.size() ? 0 : 1);
}

// Presses a button and times from its release until a popup menu is on screen (the tray
// program opens its menu on the release).
int MenuLatency(const Args& args) {
  const bool left = args[2] == L"left";
  if (!MovePointer(args.Int(0), args.Int(1))) {
    return Answer(JsonObject().Bool("shown", false).Utf8("error", "move"), 1);
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
    HWND popup = FindWindowW(probe::kPopupMenuClass, nullptr);
    QueryPerformanceCounter(&now);
    const double ms = static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
                      static_cast<double>(frequency.QuadPart);
    if (popup != nullptr && IsWindowVisible(popup)) {
      return Answer(JsonObject().Bool("shown", true).Fixed("ms", ms, 1), 0);
    }
    if (ms > 10000) return Answer(JsonObject().Bool("shown", false), 1);
    Sleep(1);
  }
}

int BroadcastTaskbarCreated(const Args&) {
  const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  const bool posted = message != 0 && PostMessageW(HWND_BROADCAST, message, 0, 0);
  return Answer(JsonObject().Bool("posted", posted).Number("message", message), posted ? 0 : 1);
}

// Takes a program's tray icon away behind its back, as a crashing or restarted shell does.
int RemoveTrayIcon(const Args& args) {
  HWND owner = FindWindowW(args[0].c_str(), nullptr);
  if (owner == nullptr) return Answer(JsonObject().Bool("found", false), 1);
  NOTIFYICONDATAW icon{};
  icon.cbSize = NOTIFYICONDATAW_V2_SIZE;
  icon.hWnd = owner;
  icon.uID = static_cast<UINT>(args.Int(1));
  const bool removed = Shell_NotifyIconW(NIM_DELETE, &icon) != FALSE;
  return Answer(JsonObject().Bool("found", true).Bool("removed", removed), removed ? 0 : 1);
}

int Screen(const Args&) {
  POINT at{};
  const bool known = GetCursorPos(&at) != FALSE;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return Answer(
      JsonObject()
          .Number("width", GetSystemMetrics(SM_CXSCREEN))
          .Number("height", GetSystemMetrics(SM_CYSCREEN))
          .Raw("work", "[" + std::to_string(work.left) + "," + std::to_string(work.top) + "," +
                           std::to_string(work.right - work.left) + "," +
                           std::to_string(work.bottom - work.top) + "]")
          .Raw("pointer",
               known ? "[" + std::to_string(at.x) + "," + std::to_string(at.y) + "]" : "null"),
      0);
}

// Puts the display back where a test changed it, whatever the program under test did.
int SetDisplayMode(const Args& args) {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmPelsWidth = static_cast<DWORD>(args.Int(0));
  mode.dmPelsHeight = static_cast<DWORD>(args.Int(1));
  mode.dmBitsPerPel = static_cast<DWORD>(args.Int(2));
  const LONG result = ChangeDisplaySettingsW(&mode, CDS_UPDATEREGISTRY);
  return Answer(JsonObject().Number("result", result), result == DISP_CHANGE_SUCCESSFUL ? 0 : 1);
}

constexpr probe::Command kCommands[] = {
    {L"tooltip", "[MS]", "wait for a shown tooltip with text; print it", 0, 1, ReadTooltip},
    {L"menu-keys", "[MS] KEY...",
     "wait for a shown popup menu and post keys to it: home end up down left right return "
     "escape",
     1, probe::kAnyCount, MenuKeys},
    {L"menu-latency", "X Y left|right", "click and time until a popup menu shows", 3, 3,
     MenuLatency},
    {L"broadcast-taskbarcreated", "",
     "tell every top-level window the taskbar was (re)created, as Explorer does after a "
     "restart",
     0, 0, BroadcastTaskbarCreated},
    {L"tray-remove", "CLASS ID", "take away the tray icon ID of the window of that class", 2, 2,
     RemoveTrayIcon},
    {L"screen", "", "screen size, work area (left, top, width, height) and pointer position", 0, 0,
     Screen},
    {L"display-mode", "W H BITS", "switch the display (and store it)", 3, 3, SetDisplayMode},
};

}  // namespace

std::span<const probe::Command> TrayCommands() { return kCommands; }

}  // namespace winprobe
