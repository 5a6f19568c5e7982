#include "platform/win32/dialog_window.h"

#include <algorithm>

#include "platform/win32/wide_text.h"
#include "platform/win32/window_dpi.h"

namespace platform::win32 {
namespace {

const wchar_t* ClassOf(common::ControlKind kind) {
  switch (kind) {
    case common::ControlKind::Label: return L"STATIC";
    case common::ControlKind::List: return L"LISTBOX";
    case common::ControlKind::DropDownList: return L"COMBOBOX";
    case common::ControlKind::PushButton:
    case common::ControlKind::ColumnHeading:
    case common::ControlKind::GroupFrame:
    case common::ControlKind::OptionButton: return L"BUTTON";
  }
  return L"STATIC";
}

DWORD StyleOf(common::ControlKind kind) {
  const DWORD child = WS_CHILD | WS_VISIBLE;
  switch (kind) {
    case common::ControlKind::Label: return child | SS_LEFT | SS_NOPREFIX;
    // A heading does nothing, so Tab passes it by.
    case common::ControlKind::ColumnHeading: return child | BS_PUSHBUTTON;
    case common::ControlKind::PushButton: return child | BS_PUSHBUTTON | WS_TABSTOP;
    case common::ControlKind::List:
      return child | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    case common::ControlKind::DropDownList:
      return child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    case common::ControlKind::GroupFrame: return child | BS_GROUPBOX;
    // Not an automatic radio button: the dialog keyboard handling clicks those as the arrow
    // keys reach them.
    case common::ControlKind::OptionButton: return child | BS_RADIOBUTTON;
  }
  return child;
}

}  // namespace

DialogWindow::DialogWindow(HINSTANCE instance, const wchar_t* className)
    : instance_(instance), className_(className) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXICON),
                                                    GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  windowClass.lpszClassName = className;
  RegisterClassExW(&windowClass);
}

DialogWindow::~DialogWindow() {
  if (window_ != nullptr) {
    HWND closing = window_;
    window_ = nullptr;  // its last messages no longer reach an object being destroyed
    DestroyWindow(closing);
  }
}

bool DialogWindow::CreateDialogWindow(std::u16string_view title, DWORD style) {
  const POINT corner = WorkAreaCornerWhereTheUserIs();
  const std::u16string caption(title);
  window_ = CreateWindowExW(0, className_, Wide(caption), style, corner.x, corner.y, 0, 0, nullptr,
                            nullptr, instance_, this);
  if (window_ == nullptr) return false;
  CreateControls();
  const int dpi = WindowDpi(window_);
  PlaceWindow(window_, LayOut(dpi), dpi, nullptr);
  return true;
}

HWND DialogWindow::CreateControl(common::ControlKind kind, std::u16string_view text, int id,
                                 DWORD extraStyle, DWORD droppedStyle) {
  const std::u16string caption(text);
  return CreateWindowExW(0, ClassOf(kind), Wide(caption),
                         (StyleOf(kind) | extraStyle) & ~droppedStyle, 0, 0, 0, 0, window_,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
}

DialogWindow* DialogWindow::Of(HWND window) {
  if (window == nullptr) return nullptr;
  WCHAR name[64] = {};
  GetClassNameW(window, name, 64);
  auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self != nullptr && self->window_ == window && lstrcmpW(name, self->className_) == 0
             ? self
             : nullptr;
}

LRESULT CALLBACK DialogWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<DialogWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // A window its object has let go of (closing, or an earlier one) is the system's alone.
  if (self == nullptr || self->window_ != window) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  if (const auto handled = self->Handle(message, wParam, lParam)) return *handled;
  return self->HandleCommon(message, wParam, lParam);
}

void DialogWindow::KeepInWorkArea() {
  // A window grown with the text is moved back as far as it went past its monitor's work
  // area, its top left corner first.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT frame{};
  if (!GetWindowRect(window_, &frame) ||
      !GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return;
  }
  const RECT& work = monitor.rcWork;
  const LONG left = std::max(work.left, frame.left - std::max(0L, frame.right - work.right));
  const LONG top = std::max(work.top, frame.top - std::max(0L, frame.bottom - work.bottom));
  if (left != frame.left || top != frame.top) {
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

LRESULT DialogWindow::HandleCommon(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      // The control that had the focus gets it back when the window is active again.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) lastFocus_ = focus;
      }
      break;
    case WM_SETFOCUS: {
      HWND target = lastFocus_ != nullptr && IsWindowEnabled(lastFocus_)
                        ? lastFocus_
                        : GetNextDlgTabItem(window_, nullptr, FALSE);
      if (target != nullptr) SetFocus(target);
      return 0;
    }
    case WM_DPICHANGED: {
      // Moved to a monitor of another scale, or the scale changed: everything is laid out
      // again from the twips at the new DPI, where the system suggests.
      const int dpi = LOWORD(wParam);
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      const POINT at{suggested->left, suggested->top};
      PlaceWindow(window_, LayOut(dpi), dpi, &at);
      return 0;
    }
    case WM_SETTINGCHANGE:
      // The text size changed: the message font, and the layout that grows with it, are made
      // again where the window is.
      if (wParam == SPI_SETNONCLIENTMETRICS) {
        RECT frame{};
        GetWindowRect(window_, &frame);
        const POINT at{frame.left, frame.top};
        const int dpi = WindowDpi(window_);
        PlaceWindow(window_, LayOut(dpi), dpi, &at);
        KeepInWorkArea();
      }
      break;
    default: break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace platform::win32
