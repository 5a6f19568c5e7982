// winprobe's window commands: top-level windows, message boxes, and the controls of another
// program's window read and used as a user would.
#include <string>

#include "winprobe.h"

namespace winprobe {
namespace {

std::string WindowJson(HWND window) {
  return JsonObject()
      .Raw("hwnd", probe::HandleNumber(window))
      .Number("pid", probe::ProcessOf(window))
      .Text("class", probe::ClassOf(window))
      .Text("title", probe::CaptionOf(window))
      .Bool("visible", IsWindowVisible(window) != FALSE)
      .Str();
}

int ListWindows(const Args&) {
  JsonArray list;
  for (HWND window : probe::TopLevelWindows()) list.Add(WindowJson(window));
  return Answer(list.Str(), 0);
}

int WindowsOf(const Args& args) {
  const std::wstring title = args.Text(0);
  JsonArray list;
  for (HWND window : probe::TopLevelWindows()) {
    if (probe::CaptionOf(window) == title) list.Add(WindowJson(window));
  }
  return Answer(list.Str(), 0);
}

int ReadMessageBox(const Args& args) {
  const std::wstring title = args.Text(0);
  const ULONGLONG deadline = GetTickCount64() + args.Timeout(1);
  // "press" clicks OK; "yes" and "no" click those buttons of a question.
  int press = 0;
  if (args.size() > 2) press = args[2] == L"yes" ? IDYES : args[2] == L"no" ? IDNO : IDOK;
  HWND box = nullptr;
  // A box is read once it shows: while it is being set up it still has every kind of button,
  // and the ones it does not need are taken away only then.
  while ((box = probe::FindTopLevel(title, probe::kDialogClass)) == nullptr ||
         !IsWindowVisible(box)) {
    if (GetTickCount64() > deadline) return Answer(JsonObject().Bool("found", false), 1);
    Sleep(50);
  }
  std::wstring text;
  std::wstring defaultButton;
  JsonArray buttons;
  for (HWND child : probe::ChildWindows(box)) {
    const std::wstring kind = probe::ClassOf(child);
    if (GetDlgCtrlID(child) == 0xFFFF && kind == L"Static") text = probe::TextOf(child);
    if (kind == L"Button" && IsWindowVisible(child)) {
      buttons.Add(probe_text::Json(probe::TextOf(child)));
      if ((GetWindowLongW(child, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) {
        defaultButton = probe::TextOf(child);
      }
    }
  }
  Answer(JsonObject()
             .Bool("found", true)
             .Number("pid", probe::ProcessOf(box))
             .Text("title", probe::CaptionOf(box))
             .Text("text", text)
             .Raw("buttons", buttons.Str())
             .Text("default", defaultButton),
         0);
  if (press != 0) {
    HWND button = GetDlgItem(box, press);
    if (button == nullptr) return 2;
    SendMessageW(button, BM_CLICK, 0, 0);
  }
  return 0;
}

int WaitAbsent(const Args& args) {
  const std::wstring title = args.Text(0);
  const ULONGLONG deadline = GetTickCount64() + args.Timeout(1);
  while (probe::FindTopLevel(title, nullptr) != nullptr) {
    if (GetTickCount64() > deadline) return Answer(JsonObject().Bool("absent", false), 1);
    Sleep(50);
  }
  return Answer(JsonObject().Bool("absent", true), 0);
}

// --- Controls of another program's window ---------------------------------------------------

// The window named by a command's first two arguments: its caption and class.
HWND TargetWindow(const Args& args) {
  return probe::FindTopLevel(args.Text(0), args.Text(1).c_str());
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result);
  return static_cast<LRESULT>(result);
}

// The messages that read the entries of a list box or a combo box.
struct EntryMessages {
  const wchar_t* className;
  UINT count, selection, length, text;
};
constexpr EntryMessages kListBox{L"ListBox", LB_GETCOUNT, LB_GETCURSEL, LB_GETTEXTLEN, LB_GETTEXT};
constexpr EntryMessages kComboBox{L"ComboBox", CB_GETCOUNT, CB_GETCURSEL, CB_GETLBTEXTLEN,
                                  CB_GETLBTEXT};

// LB_ERR and CB_ERR are both -1.
std::wstring EntryText(HWND box, const EntryMessages& messages, WPARAM index) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(box, messages.length, index, 0, SMTO_ABORTIFHUNG, 2000, &length) ||
      static_cast<LRESULT>(length) == LB_ERR) {
    return {};
  }
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = Ask(box, messages.text, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
  return text;
}

// "items" and "selected" of a list or combo box.
void AddEntries(JsonObject& entry, HWND box, const EntryMessages& messages) {
  const LRESULT count = Ask(box, messages.count);
  const LRESULT selected = Ask(box, messages.selection);
  JsonArray items;
  for (WPARAM i = 0; i < static_cast<WPARAM>(count); ++i) {
    items.Add(probe_text::Json(EntryText(box, messages, i)));
  }
  entry.Raw("items", items.Str()).Number("selected", static_cast<long long>(selected));
  if (&messages == &kListBox) entry.Number("top", static_cast<long long>(Ask(box, LB_GETTOPINDEX)));
}

std::string RectJson(const RECT& rect) {
  return "[" + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
         std::to_string(rect.right - rect.left) + "," + std::to_string(rect.bottom - rect.top) +
         "]";
}

std::string ControlJson(HWND window, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
  const std::wstring kind = probe::ClassOf(child);
  JsonObject entry;
  entry.Number("id", GetDlgCtrlID(child))
      .Text("class", kind)
      .Text("text", probe::TextOf(child))
      .Bool("enabled", IsWindowEnabled(child) != FALSE)
      .Bool("visible", IsWindowVisible(child) != FALSE)
      .Raw("rect", RectJson(rect));
  if (_wcsicmp(kind.c_str(), L"Button") == 0) {
    entry.Bool("checked", Ask(child, BM_GETCHECK) == BST_CHECKED);
  }
  for (const EntryMessages* messages : {&kListBox, &kComboBox}) {
    if (_wcsicmp(kind.c_str(), messages->className) == 0) AddEntries(entry, child, *messages);
  }
  return entry.Str();
}

int Controls(const Args& args) {
  HWND window = TargetWindow(args);
  if (window == nullptr) return Answer(JsonObject().Bool("found", false), 1);
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
  JsonArray controls;
  for (HWND child : probe::ChildWindows(window)) {
    if (GetParent(child) != window) continue;  // a combo box's own edit or list
    controls.Add(ControlJson(window, child));
  }
  const int focus = knowsFocus && gui.hwndFocus != nullptr ? GetDlgCtrlID(gui.hwndFocus) : -1;
  return Answer(JsonObject()
                    .Bool("found", true)
                    .Raw("hwnd", probe::HandleNumber(window))
                    .Number("pid", pid)
                    .Bool("visible", IsWindowVisible(window) != FALSE)
                    .Bool("enabled", IsWindowEnabled(window) != FALSE)
                    .Bool("foreground", GetForegroundWindow() == window)
                    .Raw("frame", RectJson(frame))
                    .Raw("client", RectJson(client))
                    .Number("focus", focus)
                    .Raw("controls", controls.Str()),
                0);
}

// How a user's pick in a list or combo box is made: setting the selection tells nobody, so
// the parent is also sent the notification a user's pick sends.
struct PickKind {
  UINT select;
  WORD notification;
  const char* missing;
  bool clearingAnswersError;  // LB_SETCURSEL answers LB_ERR when told -1 (no selection)
};
constexpr PickKind kComboPick{CB_SETCURSEL, CBN_SELCHANGE, "no such combo box", false};
constexpr PickKind kListPick{LB_SETCURSEL, LBN_SELCHANGE, "no such list box", true};

int Pick(const Args& args, const PickKind& kind) {
  const int id = args.Int(2);
  const int index = args.Int(3);
  HWND window = TargetWindow(args);
  HWND box = window != nullptr ? GetDlgItem(window, id) : nullptr;
  if (box == nullptr) {
    return Answer(JsonObject().Bool("picked", false).Utf8("error", kind.missing), 1);
  }
  const LRESULT result = Ask(box, kind.select, static_cast<WPARAM>(index));
  const bool picked = (kind.clearingAnswersError && index < 0) || result == index;
  if (picked) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), kind.notification),
                        reinterpret_cast<LPARAM>(box), SMTO_ABORTIFHUNG, 5000, &ignored);
  }
  return Answer(JsonObject().Bool("picked", picked), picked ? 0 : 1);
}

int ComboPick(const Args& args) { return Pick(args, kComboPick); }
int ListPick(const Args& args) { return Pick(args, kListPick); }

// The scroll bar's work: row N of that list box at its top, the selection left as it is.
int ListTop(const Args& args) {
  HWND window = TargetWindow(args);
  HWND box = window != nullptr ? GetDlgItem(window, args.Int(2)) : nullptr;
  const bool scrolled =
      box != nullptr && Ask(box, LB_SETTOPINDEX, static_cast<WPARAM>(args.Int(3))) != LB_ERR;
  return Answer(JsonObject().Bool("scrolled", scrolled), scrolled ? 0 : 1);
}

// A button press may open a modal box that holds the answer back; the timeout says so
// ("answered": false) instead of hanging the probe.
int Press(const Args& args) {
  HWND window = TargetWindow(args);
  HWND button = window != nullptr ? GetDlgItem(window, args.Int(2)) : nullptr;
  if (button == nullptr) {
    return Answer(JsonObject().Bool("pressed", false).Utf8("error", "no such button"), 1);
  }
  DWORD_PTR ignored = 0;
  const bool answered =
      SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
  return Answer(JsonObject().Bool("pressed", true).Bool("answered", answered), 0);
}

// What a control tells its window by itself, without the user doing anything the control
// would see: Windows, for one, reports a click when the focus reaches an unchecked radio button.
int Notify(const Args& args) {
  HWND window = TargetWindow(args);
  HWND control = window != nullptr ? GetDlgItem(window, args.Int(2)) : nullptr;
  if (control == nullptr) {
    return Answer(JsonObject().Bool("sent", false).Utf8("error", "no such control"), 1);
  }
  DWORD_PTR ignored = 0;
  const bool sent = SendMessageTimeoutW(
                        window, WM_COMMAND,
                        MAKEWPARAM(static_cast<WORD>(args.Int(2)), static_cast<WORD>(args.Int(3))),
                        reinterpret_cast<LPARAM>(control), SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
  return Answer(JsonObject().Bool("sent", sent), sent ? 0 : 1);
}

int Close(const Args& args) {
  HWND window = TargetWindow(args);
  const bool posted = window != nullptr && PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  return Answer(JsonObject().Bool("posted", posted), posted ? 0 : 1);
}

// A message the system would send, posted as it posts it: for what Wine never sends.
int Post(const Args& args) {
  HWND window = TargetWindow(args);
  const bool posted =
      window != nullptr && PostMessageW(window, static_cast<UINT>(args.Int(2)),
                                        static_cast<WPARAM>(args.Int(3)), args.Int(4));
  return Answer(JsonObject().Bool("posted", posted), posted ? 0 : 1);
}

constexpr probe::Command kCommands[] = {
    {L"windows", "", "every top-level window: hwnd, pid, class, title, visible", 0, 0, ListWindows},
    {L"window-of", "HEXTITLE", "top-level windows with exactly that caption, hidden ones too", 1, 1,
     WindowsOf},
    {L"msgbox", "HEXTITLE [MS] [press|yes|no]",
     "wait for a message box with that caption, read its text, buttons and default button; "
     "\"press\" clicks its OK, \"yes\" and \"no\" those buttons",
     1, probe::kAnyCount, ReadMessageBox},
    {L"absent", "HEXTITLE [MS]", "wait until no window has that caption", 1, probe::kAnyCount,
     WaitAbsent},
    {L"controls", "HEXTITLE HEXCLASS",
     "a window's controls: class, id, text, enabled, place in its client area, check marks, "
     "combo and list box entries and selection; and which control has the focus",
     2, 2, Controls},
    {L"combo-pick", "HEXTITLE HEXCLASS ID N",
     "select entry N of that combo box and tell its window, as a user's pick does", 4, 4,
     ComboPick},
    {L"list-pick", "HEXTITLE HEXCLASS ID N",
     "select row N of that list box (-1: none) and tell its window, as a user's click does", 4, 4,
     ListPick},
    {L"list-top", "HEXTITLE HEXCLASS ID N",
     "scroll that list box so that row N is its top row, as its scroll bar does", 4, 4, ListTop},
    {L"press", "HEXTITLE HEXCLASS ID", "click the button with that id (BM_CLICK)", 3, 3, Press},
    {L"notify", "HEXTITLE HEXCLASS ID CODE",
     "send that window the notification CODE (WM_COMMAND) from its control ID", 4, 4, Notify},
    {L"close", "HEXTITLE HEXCLASS", "close that window as its close box does", 2, 2, Close},
    {L"post", "HEXTITLE HEXCLASS MSG WPARAM LPARAM",
     "post that window a message (decimal numbers), as the system would", 5, 5, Post},
};

}  // namespace

std::span<const probe::Command> WindowCommands() { return kCommands; }

}  // namespace winprobe
