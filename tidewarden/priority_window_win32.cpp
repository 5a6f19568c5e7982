#include "tidewarden/priority_window_win32.h"

#include <algorithm>
#include <string>

#include "platform/win32/ui_font.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window_dpi.h"

namespace tidewarden {

namespace {

constexpr wchar_t kClass[] = L"TidewardenPriorityWindow";
constexpr UINT_PTR kRefreshTimer = 1;
static_assert(kOkCommand == IDOK);

using platform::win32::Wide;
using Kind = PriorityControlKind;
using Role = PriorityControlRole;

// Every control is a group of its own but the four options, which are one group that the
// arrow keys move within; its first option starts it. An option's tab stop is set when it is
// drawn.
DWORD GroupStyleOf(const PriorityWindowControl& control) {
  const bool laterOption =
      control.kind == Kind::OptionButton && control.role != kPriorityOptions.front();
  return laterOption ? 0 : WS_GROUP;
}

bool IsFixedPitch(HFONT font) {
  HDC context = GetDC(nullptr);
  HGDIOBJ old = SelectObject(context, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(context, &metrics);
  SelectObject(context, old);
  ReleaseDC(nullptr, context);
  // The flag is set for variable pitch, despite its name.
  return (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
}

// The lists line their fields up under the headings only in a fixed-pitch font: MS Gothic
// where the system has it, else the nearest fixed-pitch Japanese font the mapper finds.
HFONT CreateListFont(int dpiY) {
  const int height = -MulDiv(975, dpiY, 7200);  // 9.75 points
  for (const wchar_t* face : {L"ＭＳ ゴシック", L"MS Gothic", L""}) {
    HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             FIXED_PITCH | FF_MODERN, face);
    if (font != nullptr && IsFixedPitch(font)) return font;
    if (font != nullptr) DeleteObject(font);
  }
  return static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
}

HFONT CreateUiFont(int dpi) {
  HFONT font = platform::win32::CreateMessageFont(dpi);
  return font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

std::wstring ShownRow(HWND list, size_t k) {
  const auto length = static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, k, 0));
  std::wstring shown(length + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, k, reinterpret_cast<LPARAM>(shown.data()));
  shown.resize(length);
  return shown;
}

// Brings a list box to the core's rows and selection, touching only what differs: a list
// that did not change is neither scrolled nor repainted, and one that did keeps the row the
// user scrolled to at its top.
void SyncList(HWND list, const std::vector<std::u16string>& rows, std::optional<size_t> selected) {
  const auto count = static_cast<size_t>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  const LRESULT wanted = selected ? static_cast<LRESULT>(*selected) : LB_ERR;
  std::vector<size_t> changed;
  for (size_t k = 0; k < std::min(count, rows.size()); ++k) {
    if (ShownRow(list, k) != reinterpret_cast<const wchar_t*>(rows[k].c_str())) {
      changed.push_back(k);
    }
  }
  if (changed.empty() && count == rows.size()) {
    if (SendMessageW(list, LB_GETCURSEL, 0, 0) != wanted) {
      SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(wanted), 0);
    }
    return;
  }
  const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  for (const size_t k : changed) {
    SendMessageW(list, LB_DELETESTRING, k, 0);
    SendMessageW(list, LB_INSERTSTRING, k, reinterpret_cast<LPARAM>(Wide(rows[k])));
  }
  for (size_t k = count; k < rows.size(); ++k) {
    SendMessageW(list, LB_INSERTSTRING, k, reinterpret_cast<LPARAM>(Wide(rows[k])));
  }
  for (size_t k = count; k > rows.size(); --k) SendMessageW(list, LB_DELETESTRING, k - 1, 0);
  if (SendMessageW(list, LB_GETCURSEL, 0, 0) != wanted) {
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(wanted), 0);
  }
  SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  if (count != rows.size()) {
    InvalidateRect(list, nullptr, TRUE);
    return;
  }
  for (const size_t k : changed) {
    RECT row{};
    if (SendMessageW(list, LB_GETITEMRECT, k, reinterpret_cast<LPARAM>(&row)) != LB_ERR) {
      InvalidateRect(list, &row, TRUE);
    }
  }
}

std::optional<size_t> Selection(HWND list) {
  const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return std::nullopt;
  return static_cast<size_t>(index);
}

}  // namespace

PriorityWindowWin32::PriorityWindowWin32(HINSTANCE instance, const PriorityWindowPorts& ports)
    : DialogWindow(instance, kClass), ports_(ports) {}

PriorityWindowWin32::~PriorityWindowWin32() {
  if (uiFont_ != nullptr) DeleteObject(uiFont_);
  if (listFont_ != nullptr) DeleteObject(listFont_);
}

void PriorityWindowWin32::ShowPriorityWindow() {
  if (window_ == nullptr) {
    Open();
    return;
  }
  // A minimised window is brought back as it was, not left on the taskbar.
  ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(window_);
}

bool PriorityWindowWin32::HandleDialogMessage(MSG& message) {
  return window_ != nullptr && IsDialogMessageW(window_, &message);
}

HWND PriorityWindowWin32::Child(PriorityControlRole role) const {
  const auto index = static_cast<size_t>(role);
  return index < controls_.size() ? controls_[index] : nullptr;
}

void PriorityWindowWin32::Open() {
  if (!CreateDialogWindow(PriorityLayout::kCaption, kWindowStyle)) return;
  // Its boxes keep the window disabled behind them, so no second box can be stacked on one.
  boxes_.SetOwner(window_);
  RememberFocus(Child(Role::RunningList));
  // Shown before the lists are read: a box about an unreadable list then has its window.
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(Child(Role::RunningList));
  core_ = std::make_unique<PriorityWindow>(ports_, boxes_);
  core_->Open();
  if (window_ == nullptr) return;
  Draw();
  SetTimer(window_, kRefreshTimer, 1000, nullptr);
}

SIZE PriorityWindowWin32::LayOut(int dpi) {
  HFONT oldUiFont = uiFont_;
  HFONT oldListFont = listFont_;
  uiFont_ = CreateUiFont(dpi);
  LOGFONTW shown{};
  GetObjectW(uiFont_, sizeof shown, &shown);
  // The twips grow with the dialog font when the user has made text larger.
  const int layoutDpi = common::TextScaledDpi(dpi, shown.lfHeight);
  listFont_ = CreateListFont(layoutDpi);
  for (const PriorityWindowControl& control : PriorityLayout::Controls()) {
    HWND child = Child(control.role);
    SendMessageW(child, WM_SETFONT,
                 reinterpret_cast<WPARAM>(control.kind == Kind::List ? listFont_ : uiFont_), TRUE);
    // Only a label's place depends on its text.
    const TextExtent caption =
        control.kind == Kind::Label ? Measure(control.caption) : TextExtent{0, 0};
    const common::PixelRect at =
        PriorityLayout::PlaceControl(control.role, layoutDpi, layoutDpi, caption);
    SetWindowPos(child, nullptr, at.left, at.top, at.width, at.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (oldUiFont != nullptr) DeleteObject(oldUiFont);
  if (oldListFont != nullptr) DeleteObject(oldListFont);
  return {common::TwipsToPixels(PriorityLayout::kClientWidth, layoutDpi),
          common::TwipsToPixels(PriorityLayout::kClientHeight, layoutDpi)};
}

TextExtent PriorityWindowWin32::Measure(std::u16string_view caption) const {
  const std::u16string text(caption);
  HDC context = GetDC(window_);
  HGDIOBJ old = SelectObject(context, uiFont_);
  SIZE extent{};
  GetTextExtentPoint32W(context, Wide(text), static_cast<int>(text.size()), &extent);
  TEXTMETRICW metrics{};
  GetTextMetricsW(context, &metrics);
  SelectObject(context, old);
  ReleaseDC(window_, context);
  return {extent.cx, metrics.tmHeight};
}

void PriorityWindowWin32::CreateControls() {
  // Placed and given their fonts by LayOut.
  controls_.assign(PriorityLayout::Controls().size(), nullptr);
  for (const PriorityWindowControl& control : PriorityLayout::Controls()) {
    HWND child =
        CreateControl(control.kind, control.caption, control.command, GroupStyleOf(control));
    if (control.kind == Kind::OptionButton && child != nullptr) {
      // Windows clicks an unchecked radio button that the focus reaches; here that would set
      // a program's class as the user merely tabs by.
      SendMessageW(child, BM_SETDONTCLICK, TRUE, 0);
      buttonProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
          child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PriorityWindowWin32::OptionProc)));
    }
    controls_[static_cast<size_t>(control.role)] = child;
  }
}

void PriorityWindowWin32::Draw() {
  if (core_ == nullptr) return;
  SyncList(Child(Role::RunningList), core_->RunningRows(), core_->RunningSelection());
  SyncList(Child(Role::WatchList), core_->WatchEntries(), core_->WatchSelection());
  const std::optional<int> selected = core_->SelectedOption();
  for (int i = 0; i < static_cast<int>(kPriorityOptions.size()); ++i) {
    HWND option = Child(kPriorityOptions[static_cast<size_t>(i)]);
    EnableWindow(option, core_->OptionsEnabled());
    const WPARAM check = selected == i ? BST_CHECKED : BST_UNCHECKED;
    if (static_cast<WPARAM>(SendMessageW(option, BM_GETCHECK, 0, 0)) != check) {
      SendMessageW(option, BM_SETCHECK, check, 0);
    }
    // Tab enters the group at its checked option, or at the first when none is checked.
    const LONG_PTR style = GetWindowLongPtrW(option, GWL_STYLE);
    const LONG_PTR stop = i == selected.value_or(0) ? WS_TABSTOP : 0;
    if ((style & WS_TABSTOP) != stop)
      SetWindowLongPtrW(option, GWL_STYLE, (style & ~WS_TABSTOP) | stop);
  }
}

std::optional<PriorityControlRole> PriorityWindowWin32::FocusedPushButton() const {
  HWND focus = GetFocus();
  for (const Role role : {Role::AddButton, Role::DeleteButton, Role::OkButton}) {
    if (focus != nullptr && focus == Child(role)) return role;
  }
  return std::nullopt;
}

void PriorityWindowWin32::OnCommand(int id, int code) {
  if (core_ == nullptr) return;
  if (id == IDCANCEL) {
    Close();  // Escape: as the close box
    return;
  }
  std::optional<Role> role = PriorityLayout::ControlOfCommand(id);
  if (!role) return;
  if (*role == Role::OkButton && code == BN_CLICKED) {
    // The dialog keyboard handling reports Enter anywhere as OK's id: it presses the push
    // button that has the focus, and nothing else; OK saves only when it has the focus.
    role = FocusedPushButton();
    if (!role) return;
  }
  const auto option = std::find(kPriorityOptions.begin(), kPriorityOptions.end(), *role);
  if (*role == Role::RunningList && code == LBN_SELCHANGE) {
    core_->OnRunningRowClicked(Selection(Child(Role::RunningList)));
  } else if (*role == Role::WatchList && code == LBN_SELCHANGE) {
    core_->OnWatchEntryClicked(Selection(Child(Role::WatchList)));
  } else if (*role == Role::AddButton && code == BN_CLICKED) {
    core_->OnAddClicked();
  } else if (*role == Role::DeleteButton && code == BN_CLICKED) {
    core_->OnDeleteClicked();
  } else if (option != kPriorityOptions.end() && code == BN_CLICKED) {
    // Only the user's own click or Space chooses; the click Windows sends as the focus
    // arrives at an option comes at no other time.
    if (userClicks_ == 0) return;
    core_->OnPriorityOptionClicked(static_cast<int>(option - kPriorityOptions.begin()));
  } else if (*role == Role::OkButton) {
    if (core_->OnOkClicked()) {
      Close();
      return;
    }
  } else {
    return;
  }
  Draw();
}

void PriorityWindowWin32::Close() {
  if (core_ != nullptr) core_->OnClose();
  core_.reset();
  RememberFocus(nullptr);
  if (window_ != nullptr) {
    KillTimer(window_, kRefreshTimer);
    HWND closing = window_;
    window_ = nullptr;
    boxes_.SetOwner(nullptr);
    DestroyWindow(closing);
  }
}

std::optional<LRESULT> PriorityWindowWin32::Handle(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kRefreshTimer && core_ != nullptr) {
        core_->OnRefreshTimer();
        Draw();
      }
      return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CLOSE:
      // Not while a box of its own is up (the window is disabled behind it): the core is
      // still inside the handler that raised it.
      if (!IsWindowEnabled(window_)) return 0;
      Close();  // the close box discards the edits
      return 0;
    default: return std::nullopt;
  }
}

// An option button tells its window of a click while it handles the release of the mouse
// button or of Space (BM_CLICK releases the mouse button too); the window counts those.
LRESULT CALLBACK PriorityWindowWin32::OptionProc(HWND option, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  // The object is reached through its dialog part: that is what the window keeps.
  auto* self = static_cast<PriorityWindowWin32*>(DialogWindow::Of(GetParent(option)));
  if (self == nullptr || self->buttonProc_ == nullptr) {
    // The window is closing: the button's own class handles the rest.
    const auto buttonProc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(option, GCLP_WNDPROC));
    return CallWindowProcW(buttonProc, option, message, wParam, lParam);
  }
  const WNDPROC buttonProc = self->buttonProc_;
  const bool release = message == WM_LBUTTONUP || (message == WM_KEYUP && wParam == VK_SPACE);
  if (release) ++self->userClicks_;
  const LRESULT result = CallWindowProcW(buttonProc, option, message, wParam, lParam);
  if (release) --self->userClicks_;
  return result;
}

}  // namespace tidewarden
