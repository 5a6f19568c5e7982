// menuprobe: reads and chooses from another program's open popup menu on the Wine desktop.
// Wine keeps a menu's items in the process that made it, so the reading is done by
// menuhook.dll inside the menu's thread (see menuhook.h); the DLL must sit beside this program
// and have its bitness, as must the program whose menu is read. Prints one line of JSON
// (UTF-8).
//
//   menuprobe read [MS]              wait up to MS (default 10000) for a shown popup menu
//                                    and print its menus and items:
//                                    {"found":true,"ms":..,"pid":..,"tid":..,"menus":[..]}
//                                    (the menus as menuhook_win32.cpp describes), else
//                                    {"found":false,...} and exit 1
//   menuprobe choose HEXCAPTION [MS] choose the item with exactly that caption (UTF-8, hex)
//                                    in the innermost open menu: select it with Home and
//                                    Down keys, check that it is the one highlighted, press
//                                    Return and wait for the menu to close; for an item
//                                    with a submenu, wait for that submenu to open instead.
//                                    {"chosen":true,"pos":..,"downs":..,"closed":true,..},
//                                    else {"chosen":false,"error":..} and exit 1
//   menuprobe census HEXTITLE [MS]   what the process of the top-level window with that
//                                    title (UTF-8, hex) holds of USER and GDI objects:
//                                    {"found":true,"pid":..,"menus":..,"windows":..,
//                                    "icons":..,"gdi":..}, else {"found":false,..} and exit 1
//   menuprobe dpi HEXTITLE HEXCLASS DPI   deliver WM_DPICHANGED for DPI to that window, inside
//                                    its own thread: {"changed":true}, else
//                                    {"changed":false,"error":..} and exit 1
//   menuprobe textsize HEXTITLE HEXCLASS PERCENT   the text size made PERCENT % of this
//                                    process's message font, for that window alone, inside its
//                                    own thread (see menuhook.h):
//                                    {"changed":true,"height":..,"was":..} (lfHeight), else
//                                    {"changed":false,"error":..} and exit 1
// Exit 2 when menuhook.dll cannot be used, 64 on a wrong command line.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "menuhook.h"
#include "probe_support.h"

namespace {

using probe::Answer;
using probe::Args;
using probe::JsonObject;

// --- Just enough JSON to read menuhook's answer back -----------------------------------------

struct Value {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
  bool flag = false;
  double number = 0;
  std::string text;
  std::vector<Value> items;
  std::vector<std::pair<std::string, Value>> fields;

  const Value& operator[](const std::string& key) const {
    static const Value missing;
    for (const auto& field : fields) {
      if (field.first == key) return field.second;
    }
    return missing;
  }
  bool True() const { return kind == kBool && flag; }
  long long Integer() const { return static_cast<long long>(number); }
};

class Parser {
 public:
  explicit Parser(const std::string& text) : text_(text) {}

  bool Parse(Value& out) {
    if (!ParseValue(out, 0)) return false;
    SkipSpace();
    return at_ == text_.size();
  }

 private:
  void SkipSpace() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' || text_[at_] == '\n')) {
      ++at_;
    }
  }
  bool Take(char c) {
    SkipSpace();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool Word(const char* word) {
    const std::string w = word;
    if (text_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }
  static void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  bool ParseString(std::string& out) {
    if (!Take('"')) return false;
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return true;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) return false;
      const char e = text_[at_++];
      if (e == 'u') {
        if (at_ + 4 > text_.size()) return false;
        AppendUtf8(out,
                   static_cast<unsigned>(std::strtoul(text_.substr(at_, 4).c_str(), nullptr, 16)));
        at_ += 4;
      } else if (const int escape = probe_text::IndexIn(probe_text::kJsonEscapeLetters, e);
                 escape >= 0) {
        out += probe_text::kJsonEscaped[escape];
      } else {
        out += e == 'b' ? '\b' : e == 'f' ? '\f' : e;  // and '/' as itself
      }
    }
    return false;
  }
  bool ParseValue(Value& out, int depth) {
    if (depth > 64) return false;
    SkipSpace();
    if (at_ >= text_.size()) return false;
    const char c = text_[at_];
    if (c == '{') {
      out.kind = Value::kObject;
      ++at_;
      if (Take('}')) return true;
      do {
        std::pair<std::string, Value> field;
        if (!ParseString(field.first) || !Take(':') || !ParseValue(field.second, depth + 1)) {
          return false;
        }
        out.fields.push_back(std::move(field));
      } while (Take(','));
      return Take('}');
    }
    if (c == '[') {
      out.kind = Value::kArray;
      ++at_;
      if (Take(']')) return true;
      do {
        out.items.emplace_back();
        if (!ParseValue(out.items.back(), depth + 1)) return false;
      } while (Take(','));
      return Take(']');
    }
    if (c == '"') {
      out.kind = Value::kString;
      return ParseString(out.text);
    }
    if (Word("true")) {
      out.kind = Value::kBool;
      out.flag = true;
      return true;
    }
    if (Word("false")) {
      out.kind = Value::kBool;
      return true;
    }
    if (Word("null")) return true;
    char* end = nullptr;
    out.number = std::strtod(text_.c_str() + at_, &end);
    if (end == text_.c_str() + at_) return false;
    out.kind = Value::kNumber;
    at_ = static_cast<size_t>(end - text_.c_str());
    return true;
  }

  const std::string& text_;
  size_t at_ = 0;
};

// --- Finding the menu and asking the hook ----------------------------------------------------

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  const size_t slash = folder.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

ULONGLONG Remaining(ULONGLONG deadline) {
  const ULONGLONG now = GetTickCount64();
  return now >= deadline ? 0 : deadline - now;
}

// Holds menuhook.dll, the answer mapping and the hook on one menu thread at a time.
class MenuReader {
 public:
  ~MenuReader() {
    Unhook();
    if (view_ != nullptr) UnmapViewOfFile(view_);
    if (mapping_ != nullptr) CloseHandle(mapping_);
    if (dll_ != nullptr) FreeLibrary(dll_);
  }

  // Empty on success, else what went wrong.
  std::string Open() {
    message_ = RegisterWindowMessageW(menuhook::kMenuProbeMessage);
    censusMessage_ = RegisterWindowMessageW(menuhook::kCensusMessage);
    if (message_ == 0 || censusMessage_ == 0) return "RegisterWindowMessage failed";
    dll_ = LoadLibraryW((OwnFolder() + menuhook::kDllName).c_str());
    if (dll_ == nullptr) return "menuhook.dll not loaded";
    // Through a plain function pointer type: HOOKPROC and FARPROC differ in parameters.
    proc_ = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void (*)()>(GetProcAddress(dll_, menuhook::kHookExport)));
    if (proc_ == nullptr) return "menuhook.dll lacks its hook";
    sequence_ = GetTickCount();
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  menuhook::kMappingSize, Name().c_str());
    if (mapping_ == nullptr) return "CreateFileMapping failed";
    view_ = MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, menuhook::kMappingSize);
    if (view_ == nullptr) return "MapViewOfFile failed";
    return {};
  }

  // Hooks the thread of `window`; false when the hook cannot be installed.
  bool Hook(HWND window) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (thread == 0) return false;
    if (thread == hookedThread_) return true;
    Unhook();
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, proc_, dll_, thread);
    if (hook_ == nullptr) return false;
    hookedThread_ = thread;
    return true;
  }

  // menuhook's answer about the thread of `popup`; empty when the hook did not answer within
  // the time. hookFailed tells that the hook could not even be installed.
  std::string Ask(HWND popup, ULONGLONG deadline, bool& hookFailed, bool census = false) {
    hookFailed = false;
    const DWORD thread = GetWindowThreadProcessId(popup, nullptr);
    if (thread == 0) return {};
    if (thread != hookedThread_) {
      Unhook();
      hook_ = SetWindowsHookExW(WH_CALLWNDPROC, proc_, dll_, thread);
      if (hook_ == nullptr) {
        hookFailed = true;
        return {};
      }
      hookedThread_ = thread;
    }
    auto* header = static_cast<menuhook::Header*>(view_);
    header->status = menuhook::kUnanswered;
    header->length = 0;
    DWORD_PTR result = 0;
    const auto wait = static_cast<UINT>(Remaining(deadline) > 2000 ? 2000 : Remaining(deadline));
    SendMessageTimeoutW(popup, census ? censusMessage_ : message_, GetCurrentProcessId(),
                        static_cast<LPARAM>(sequence_), SMTO_ABORTIFHUNG, wait, &result);
    if (header->status != menuhook::kAnswered) return {};
    return std::string(reinterpret_cast<const char*>(header + 1), header->length);
  }

 private:
  std::wstring Name() const {
    return menuhook::MappingName(GetCurrentProcessId(), static_cast<LPARAM>(sequence_));
  }
  void Unhook() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    hookedThread_ = 0;
  }

  UINT message_ = 0;
  UINT censusMessage_ = 0;
  HMODULE dll_ = nullptr;
  HOOKPROC proc_ = nullptr;
  DWORD sequence_ = 0;
  HANDLE mapping_ = nullptr;
  void* view_ = nullptr;
  HHOOK hook_ = nullptr;
  DWORD hookedThread_ = 0;
};

struct Reading {
  std::string json;  // menuhook's answer, empty when none came
  Value menus;       // its "menus"
  HWND popup = nullptr;
  bool sawPopup = false;  // a shown popup menu was found at some point
  std::string error;
  ULONGLONG askMs = 0;
};

// Waits for a shown popup menu and asks the hook about it, until an answer names at least
// one menu: a menu that closes between finding and asking answers with none.
Reading ReadMenus(MenuReader& reader, ULONGLONG deadline) {
  Reading reading;
  for (;;) {
    reading.popup = probe::FirstShown(probe::kPopupMenuClass, [](HWND) { return true; });
    if (reading.popup != nullptr) {
      reading.sawPopup = true;
      bool hookFailed = false;
      const ULONGLONG asked = GetTickCount64();
      std::string json = reader.Ask(reading.popup, deadline, hookFailed);
      reading.askMs = GetTickCount64() - asked;
      if (hookFailed) {
        reading.error = "SetWindowsHookEx failed";
        return reading;
      }
      Value answer;
      if (!json.empty() && Parser(json).Parse(answer) && !answer["menus"].items.empty()) {
        reading.json = std::move(json);
        reading.menus = answer["menus"];
        return reading;
      }
    }
    if (Remaining(deadline) == 0) {
      reading.error = reading.sawPopup ? "the hook did not answer" : "no popup menu";
      return reading;
    }
    Sleep(20);
  }
}

int PrintNotFound(const Reading& reading, int status) {
  return Answer(JsonObject()
                    .Bool("found", false)
                    .Bool("popup", reading.sawPopup)
                    .Utf8("error", reading.error),
                status);
}

int Read(const Args& args) {
  const ULONGLONG started = GetTickCount64();
  MenuReader reader;
  Reading reading;
  reading.error = reader.Open();
  if (!reading.error.empty()) return PrintNotFound(reading, 2);
  reading = ReadMenus(reader, started + args.Timeout(0));
  if (reading.json.empty()) return PrintNotFound(reading, 1);
  return Answer(JsonObject()
                    .Bool("found", true)
                    .Number("ms", reading.askMs)
                    .Number("total_ms", GetTickCount64() - started)
                    .Fields(reading.json),
                0);
}

// The start of a successful choice's answer.
JsonObject Chosen(long long pos, int downs) {
  JsonObject answer;
  answer.Bool("chosen", true).Number("pos", pos).Number("downs", downs);
  return answer;
}

int ChooseFailed(const std::string& error, const std::string& caption, int status = 1) {
  return Answer(JsonObject().Bool("chosen", false).Utf8("error", error).Utf8("caption", caption),
                status);
}

int Choose(const Args& args) {
  const std::string caption = args.Bytes(0);
  const ULONGLONG deadline = GetTickCount64() + args.Timeout(1);
  MenuReader reader;
  std::string error = reader.Open();
  if (!error.empty()) return ChooseFailed(error, caption, 2);
  Reading reading = ReadMenus(reader, deadline);
  if (reading.json.empty()) return ChooseFailed(reading.error, caption);

  // The keys move the selection of the menu being tracked, the innermost one.
  const Value& innermost = reading.menus.items.back();
  const auto popup = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(innermost["hwnd"].Integer()));
  const Value* target = nullptr;
  int downs = 0;
  for (const Value& item : innermost["items"].items) {
    if (item["caption"].text == caption && !item["separator"].True()) {
      target = &item;
      break;
    }
    // Down passes over separators only.
    if (!item["separator"].True()) ++downs;
  }
  if (target == nullptr) {
    for (const Value& menu : reading.menus.items) {
      for (const Value& item : menu["items"].items) {
        if (item["caption"].text == caption) {
          return ChooseFailed("not in the innermost open menu", caption);
        }
      }
    }
    return ChooseFailed("no such item", caption);
  }
  if ((*target)["disabled"].True()) return ChooseFailed("item disabled", caption);
  const long long pos = (*target)["pos"].Integer();

  bool posted = probe::PostKey(popup, VK_HOME);
  for (int i = 0; i < downs && posted; ++i) posted = probe::PostKey(popup, VK_DOWN);
  if (!posted) return ChooseFailed("PostMessage failed", caption);

  // Posted keys are handled after the hook's sent message, so ask until the selection
  // has arrived; Return goes only once the right item is the highlighted one.
  bool selected = false;
  while (!selected && Remaining(deadline) > 0) {
    Reading now = ReadMenus(reader, deadline);
    if (now.json.empty()) break;
    const Value& menu = now.menus.items.back();
    if (menu["hwnd"].Integer() != innermost["hwnd"].Integer()) break;
    for (const Value& item : menu["items"].items) {
      if (item["highlighted"].True()) selected = item["pos"].Integer() == pos;
    }
    if (!selected) Sleep(20);
  }
  if (!selected) return ChooseFailed("the item did not become highlighted", caption);
  if (!probe::PostKey(popup, VK_RETURN)) return ChooseFailed("PostMessage failed", caption);

  // Return on an item with a submenu opens that submenu instead of closing the menu.
  if ((*target)["submenu"].kind == Value::kArray) {
    const size_t before = reading.menus.items.size();
    bool opened = false;
    while (!opened && Remaining(deadline) > 0) {
      Reading now = ReadMenus(reader, deadline);
      if (now.json.empty()) break;
      opened = now.menus.items.size() > before;
      if (!opened) Sleep(20);
    }
    return Answer(Chosen(pos, downs).Bool("opened", opened).Utf8("caption", caption),
                  opened ? 0 : 1);
  }

  bool closed = false;
  while (!(closed = !IsWindow(popup) || !IsWindowVisible(popup)) && Remaining(deadline) > 0) {
    Sleep(20);
  }
  return Answer(Chosen(pos, downs).Bool("closed", closed).Utf8("caption", caption), closed ? 0 : 1);
}

int Census(const Args& args) {
  const std::wstring title = args.Text(0);
  const ULONGLONG deadline = GetTickCount64() + args.Timeout(1);
  MenuReader reader;
  std::string error = reader.Open();
  const auto failed = [&](const std::string& why, int status) {
    return Answer(JsonObject().Bool("found", false).Utf8("error", why), status);
  };
  if (!error.empty()) return failed(error, 2);
  for (;;) {
    HWND window = FindWindowW(nullptr, title.c_str());
    if (window != nullptr) {
      bool hookFailed = false;
      const std::string json = reader.Ask(window, deadline, hookFailed, true);
      if (hookFailed) return failed("SetWindowsHookEx failed", 1);
      if (!json.empty()) return Answer(JsonObject().Bool("found", true).Fields(json), 0);
    }
    if (Remaining(deadline) == 0)
      return failed(window ? "the hook did not answer" : "no window", 1);
    Sleep(50);
  }
}

// Finds the window by caption and class, hooks its thread and sends it the registered message
// `name` with `wParam`, for the hook to act on inside that thread (see menuhook.h). The
// answer: {"changed":true} with `fields` added, else {"changed":false,"error":..}.
int SendToWindowThread(const Args& args, const wchar_t* name, WPARAM wParam,
                       const JsonObject& fields = JsonObject()) {
  HWND window = FindWindowW(args.Text(1).c_str(), args.Text(0).c_str());
  MenuReader reader;
  const std::string error = reader.Open();
  const auto failed = [](const std::string& why, int status) {
    return Answer(JsonObject().Bool("changed", false).Utf8("error", why), status);
  };
  if (!error.empty()) return failed(error, 2);
  if (window == nullptr) return failed("no window", 1);
  if (!reader.Hook(window)) return failed("SetWindowsHookEx failed", 1);
  DWORD_PTR ignored = 0;
  const bool sent = SendMessageTimeoutW(window, RegisterWindowMessageW(name), wParam, 0,
                                        SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
  return sent ? Answer(JsonObject().Bool("changed", true).Fields(fields.Str()), 0)
              : failed("no answer", 1);
}

int DpiChange(const Args& args) {
  return SendToWindowThread(args, menuhook::kDpiChangeMessage, static_cast<WPARAM>(args.Int(2)));
}

// The message-font height is scaled from this process's own, which no test changes.
int TextSizeChange(const Args& args) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return Answer(JsonObject().Bool("changed", false).Utf8("error", "no message font"), 1);
  }
  const LONG was = metrics.lfMessageFont.lfHeight;
  const LONG height = MulDiv(was, args.Int(2), 100);
  return SendToWindowThread(args, menuhook::kTextSizeMessage,
                            static_cast<WPARAM>(static_cast<INT_PTR>(height)),
                            JsonObject().Number("height", height).Number("was", was));
}

constexpr probe::Command kCommands[] = {
    {L"read", "[MS]", "the shown popup menus and their items, outermost first", 0, 1, Read},
    {L"choose", "HEXCAPTION [MS]",
     "choose the item with exactly that caption in the innermost open menu", 1, 2, Choose},
    {L"census", "HEXTITLE [MS]",
     "USER and GDI objects held by the process of the window with that title", 1, 2, Census},
    {L"dpi", "HEXTITLE HEXCLASS DPI",
     "deliver WM_DPICHANGED for DPI to that window inside its own thread", 3, 3, DpiChange},
    {L"textsize", "HEXTITLE HEXCLASS PERCENT",
     "make the text size PERCENT % for that window alone, inside its own thread", 3, 3,
     TextSizeChange},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  return probe::RunCommandLine("menuprobe", {std::begin(kCommands), std::end(kCommands)}, argc,
                               argv);
}
