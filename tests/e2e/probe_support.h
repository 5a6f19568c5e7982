// What the Windows-side test tools share (winprobe, menuprobe, menuhook): answers written as
// JSON field by field, the windows of other programs found and read, and a table of commands
// that runs a command line and builds the usage text. Text conversions are in probe_text.h.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "probe_text.h"

namespace probe {

// --- JSON answers ----------------------------------------------------------------------------

// One JSON object, its fields in the order they are added, with no blanks between them.
class JsonObject {
 public:
  JsonObject& Raw(const char* key, const std::string& json);  // a value that is JSON already
  JsonObject& Bool(const char* key, bool value) { return Raw(key, value ? "true" : "false"); }
  template <typename Integer>
  JsonObject& Number(const char* key, Integer value) {
    return Raw(key, std::to_string(value));
  }
  JsonObject& Fixed(const char* key, double value, int decimals);
  JsonObject& Text(const char* key, const std::wstring& text) {
    return Raw(key, probe_text::Json(text));
  }
  JsonObject& Utf8(const char* key, const std::string& text) {
    return Raw(key, probe_text::JsonUtf8(text));
  }
  // Every field of another JSON object, appended after those already here.
  JsonObject& Fields(const std::string& object);
  std::string Str() const { return "{" + body_ + "}"; }

 private:
  std::string body_;
};

// One JSON array of values that are JSON already.
class JsonArray {
 public:
  JsonArray& Add(const std::string& json);
  bool Empty() const { return body_.empty(); }
  std::string Str() const { return "[" + body_ + "]"; }

 private:
  std::string body_;
};

// A window handle as the number the answers carry.
std::string HandleNumber(HWND window);

// Prints one answer line and returns `status`: a command ends with `return Answer(json, 0)`.
int Answer(const std::string& json, int status);
inline int Answer(const JsonObject& json, int status) { return Answer(json.Str(), status); }

// --- Windows of other programs ---------------------------------------------------------------

std::wstring ClassOf(HWND window);
// A top-level window's caption is kept by the system, so reading it never waits on the owner.
std::wstring CaptionOf(HWND window);
// A control's text, asked of its process with the W message and a timeout (see the .cpp).
std::wstring TextOf(HWND window);
DWORD ProcessOf(HWND window);

std::vector<HWND> TopLevelWindows();
std::vector<HWND> ChildWindows(HWND parent);

// The first top-level window with exactly that caption, of that class unless it is null.
HWND FindTopLevel(const std::wstring& caption, const wchar_t* className);

// The first shown top-level window of that class for which `accept` says yes, or null.
template <typename Accept>
HWND FirstShown(const wchar_t* className, Accept accept) {
  for (HWND window : TopLevelWindows()) {
    if (IsWindowVisible(window) && ClassOf(window) == className && accept(window)) return window;
  }
  return nullptr;
}

// FirstShown, asked again every 50 ms until one is there or timeoutMs have passed.
template <typename Accept>
HWND WaitForShown(const wchar_t* className, DWORD timeoutMs, Accept accept) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (HWND window = FirstShown(className, accept)) return window;
    if (GetTickCount64() > deadline) return nullptr;
    Sleep(50);
  }
}

// Posts a key press to a window, as to a popup menu's tracking loop, which takes posted keys.
bool PostKey(HWND window, WPARAM key);

inline constexpr wchar_t kPopupMenuClass[] = L"#32768";
inline constexpr wchar_t kDialogClass[] = L"#32770";

// --- Commands --------------------------------------------------------------------------------

// The arguments after a command's name.
class Args {
 public:
  explicit Args(std::vector<std::wstring> items) : items_(std::move(items)) {}
  size_t size() const { return items_.size(); }
  const std::wstring& operator[](size_t i) const { return items_[i]; }
  std::wstring Text(size_t i) const { return probe_text::FromHexUtf8(items_[i]); }  // hex UTF-8
  std::string Bytes(size_t i) const { return probe_text::FromHex(items_[i]); }      // hex
  int Int(size_t i) const;                                                          // decimal
  DWORD Number(size_t i) const;   // decimal, or hex with 0x
  DWORD Timeout(size_t i) const;  // milliseconds; 10000 when not given
  bool IsNumber(size_t i) const;  // digits only
  std::vector<std::wstring> From(size_t i) const;

 private:
  std::vector<std::wstring> items_;
};

inline constexpr size_t kAnyCount = SIZE_MAX;
inline constexpr int kUsageStatus = 64;
// What a command returns when its arguments do not fit: the usage is printed, status 64.
inline constexpr int kWrongArguments = -1;

struct Command {
  const wchar_t* name;
  const char* arguments;  // as the usage shows them
  const char* help;       // what the command does and prints
  size_t fewest;          // how many arguments it takes
  size_t most;
  int (*run)(const Args& args);
};

// Runs the command argv names with its arguments; a command line that fits none prints the
// usage, built from `commands`, and gives 64.
int RunCommandLine(const char* program, const std::vector<Command>& commands, int argc,
                   wchar_t** argv);

}  // namespace probe
