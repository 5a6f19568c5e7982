#include "probe_support.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace probe {

JsonObject& JsonObject::Raw(const char* key, const std::string& json) {
  if (!body_.empty()) body_ += ',';
  body_ += probe_text::JsonUtf8(key) + ":" + json;
  return *this;
}

JsonObject& JsonObject::Fixed(const char* key, double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return Raw(key, text);
}

JsonObject& JsonObject::Fields(const std::string& object) {
  if (object.size() > 2) {
    if (!body_.empty()) body_ += ',';
    body_ += object.substr(1, object.size() - 2);
  }
  return *this;
}

JsonArray& JsonArray::Add(const std::string& json) {
  if (!body_.empty()) body_ += ',';
  body_ += json;
  return *this;
}

std::string HandleNumber(HWND window) {
  return std::to_string(static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
}

int Answer(const std::string& json, int status) {
  std::fputs(json.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  return status;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring CaptionOf(HWND window) {
  wchar_t caption[512] = {};
  GetWindowTextW(window, caption, 512);
  return caption;
}

// GetWindowText does not ask other processes for their controls' texts, and the A message
// loses the Japanese; the timeout keeps a hung window from hanging the probe.
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

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

}  // namespace

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

HWND FindTopLevel(const std::wstring& caption, const wchar_t* className) {
  for (HWND window : TopLevelWindows()) {
    if (className != nullptr && ClassOf(window) != className) continue;
    if (CaptionOf(window) == caption) return window;
  }
  return nullptr;
}

bool PostKey(HWND window, WPARAM key) {
  const UINT scan = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
  return PostMessageW(window, WM_KEYDOWN, key, static_cast<LPARAM>(1u | (scan << 16))) != 0;
}

int Args::Int(size_t i) const {
  return static_cast<int>(std::wcstol(items_[i].c_str(), nullptr, 10));
}

DWORD Args::Number(size_t i) const {
  return static_cast<DWORD>(std::wcstoul(items_[i].c_str(), nullptr, 0));
}

DWORD Args::Timeout(size_t i) const {
  return i < items_.size() ? static_cast<DWORD>(std::wcstoul(items_[i].c_str(), nullptr, 10))
                           : DWORD{10000};
}

bool Args::IsNumber(size_t i) const {
  return i < items_.size() && !items_[i].empty() &&
         items_[i].find_first_not_of(L"0123456789") == std::wstring::npos;
}

std::vector<std::wstring> Args::From(size_t i) const {
  if (i >= items_.size()) return {};
  return std::vector<std::wstring>(items_.begin() + static_cast<std::ptrdiff_t>(i), items_.end());
}

namespace {

int PrintUsage(const char* program, const std::vector<Command>& commands) {
  std::fprintf(stderr, "usage: %s COMMAND [ARGUMENTS]\n", program);
  for (const Command& command : commands) {
    const std::string line = probe_text::ToUtf8(command.name) +
                             (*command.arguments != '\0' ? " " : "") + command.arguments;
    std::fprintf(stderr, "  %-36s %s\n", line.c_str(), command.help);
  }
  return kUsageStatus;
}

}  // namespace

int RunCommandLine(const char* program, const std::vector<Command>& commands, int argc,
                   wchar_t** argv) {
  if (argc >= 2) {
    for (const Command& command : commands) {
      if (argv[1] != std::wstring(command.name)) continue;
      const Args args(std::vector<std::wstring>(argv + 2, argv + argc));
      if (args.size() < command.fewest || args.size() > command.most) break;
      const int status = command.run(args);
      if (status == kWrongArguments) break;
      return status;
    }
  }
  return PrintUsage(program, commands);
}

}  // namespace probe
