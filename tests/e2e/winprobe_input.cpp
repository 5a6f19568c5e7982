// winprobe's input commands: the pointer, mouse buttons and keys, sent through SendInput so
// that the windows get them as from a real mouse and keyboard.
#include <algorithm>
#include <string>
#include <vector>

#include "winprobe.h"

namespace winprobe {

INPUT MouseInput(DWORD flags, LONG dx, LONG dy) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = flags;
  return input;
}

// SetCursorPos only corrects a rounding miss of the 0..65535 scale.
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

namespace {

int Move(const Args& args) {
  if (args.size() % 2 != 0) return probe::kWrongArguments;
  bool moved = true;
  for (size_t i = 0; i + 1 < args.size(); i += 2) {
    moved = MovePointer(args.Int(i), args.Int(i + 1)) && moved;
  }
  return Answer(JsonObject().Bool("moved", moved), moved ? 0 : 1);
}

int Click(const Args& args) {
  DWORD down = 0, up = 0;
  if (args[2] == L"left") {
    down = MOUSEEVENTF_LEFTDOWN;
    up = MOUSEEVENTF_LEFTUP;
  } else if (args[2] == L"right") {
    down = MOUSEEVENTF_RIGHTDOWN;
    up = MOUSEEVENTF_RIGHTUP;
  } else {
    return Answer(JsonObject().Bool("clicked", false).Utf8("error", "button"), probe::kUsageStatus);
  }
  if (!MovePointer(args.Int(0), args.Int(1))) {
    return Answer(JsonObject().Bool("clicked", false).Utf8("error", "move"), 1);
  }
  INPUT press = MouseInput(down);
  INPUT release = MouseInput(up);
  const bool ok = SendInput(1, &press, sizeof press) == 1 &&
                  (Sleep(60), SendInput(1, &release, sizeof release) == 1);
  return Answer(JsonObject().Bool("clicked", ok), ok ? 0 : 1);
}

int Keys(const Args& args) {
  static const struct {
    const wchar_t* name;
    WORD key;
    bool shift;
  } kKeys[] = {{L"tab", VK_TAB, false},       {L"shift-tab", VK_TAB, true},
               {L"return", VK_RETURN, false}, {L"space", VK_SPACE, false},
               {L"up", VK_UP, false},         {L"down", VK_DOWN, false},
               {L"escape", VK_ESCAPE, false}};
  size_t typed = 0;
  for (const std::wstring& name : args.From(0)) {
    const auto* known = std::find_if(std::begin(kKeys), std::end(kKeys),
                                     [&](const auto& k) { return name == k.name; });
    if (known == std::end(kKeys)) {
      return Answer(
          JsonObject().Number("typed", typed).Utf8("error", "unknown key").Text("key", name),
          probe::kUsageStatus);
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
  return Answer(JsonObject().Number("typed", typed), typed == args.size() ? 0 : 1);
}

constexpr probe::Command kCommands[] = {
    {L"move", "X Y [X Y]...", "move the pointer (screen coordinates), through each point in turn",
     2, probe::kAnyCount, Move},
    {L"click", "X Y left|right", "move there, press and release that button", 3, 3, Click},
    {L"keys", "KEY...",
     "type keys into the foreground window: tab shift-tab return space up down escape", 1,
     probe::kAnyCount, Keys},
};

}  // namespace

std::span<const probe::Command> InputCommands() { return kCommands; }

}  // namespace winprobe
