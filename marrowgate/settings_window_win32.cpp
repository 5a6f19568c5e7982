#include "marrowgate/settings_window_win32.h"

#include <string>

#include "platform/win32/ui_font.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window_dpi.h"

namespace marrowgate {
namespace {

constexpr wchar_t kWindowClass[] = L"MarrowgateForm";
constexpr int kFirstControlId = 101;
// A drop-down list is created as tall as its field plus the opened list; the list shows
// every entry without a scroll bar.
constexpr int kListRoomTwips = 1800;

// A fixed border: neither resized nor maximised.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

int IdOf(ControlIndex index) { return kFirstControlId + static_cast<int>(index); }

const wchar_t* ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button: return L"BUTTON";
    case ControlKind::DropDownList: return L"COMBOBOX";
    case ControlKind::Label: return L"STATIC";
  }
  return L"STATIC";
}

DWORD StyleOf(const SettingsFormControl& control) {
  const DWORD common = WS_CHILD | WS_VISIBLE;
  switch (control.kind) {
    case ControlKind::Button: return common | WS_TABSTOP | BS_PUSHBUTTON;
    case ControlKind::DropDownList: return common | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    case ControlKind::Label:
      return common | SS_NOPREFIX | (control.rightAligned ? SS_RIGHT : SS_LEFT);
  }
  return common;
}

}  // namespace

SettingsWindowWin32::~SettingsWindowWin32() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
}

void SettingsWindowWin32::Create() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance_;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.hIcon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXICON),
                                                    GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);

  // Made hidden on the monitor the user is at, so that it has that monitor's DPI; its size
  // and place follow from that.
  const POINT corner = platform::win32::WorkAreaCornerWhereTheUserIs();
  const std::u16string title(kTitle);
  window_ = CreateWindowExW(0, kWindowClass, platform::win32::Wide(title), kWindowStyle, corner.x,
                            corner.y, 0, 0, nullptr, nullptr, instance_, this);
  if (window_ == nullptr) return;
  CreateControls();
  const int dpi = platform::win32::WindowDpi(window_);
  platform::win32::PlaceWindow(window_, LayOut(dpi), dpi, nullptr);
}

void SettingsWindowWin32::CreateControls() {
  // Created in tab order: the order of the children is the order Tab walks them in. LayOut
  // places them and gives them their font.
  for (size_t i = 0; i < controls_.size(); ++i) {
    const SettingsFormControl& control = Controls()[i];
    const std::u16string text(control.text);
    HWND child = CreateWindowExW(
        0, ClassOf(control.kind), platform::win32::Wide(text), StyleOf(control), 0, 0, 0, 0,
        window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(i))),
        instance_, nullptr);
    controls_[i] = child;
    if (child == nullptr) continue;
    for (const std::u16string_view item : control.items) {
      const std::u16string entry(item);
      SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::win32::Wide(entry)));
    }
  }
}

SIZE SettingsWindowWin32::LayOut(int dpi) {
  HFONT old = font_;
  font_ = platform::win32::CreateMessageFont(dpi);
  LOGFONTW shown{};
  if (font_ != nullptr) GetObjectW(font_, sizeof shown, &shown);
  // The twips grow with the dialog font when the user has made text larger.
  const int layoutDpi = common::TextScaledDpi(dpi, shown.lfHeight);
  for (size_t i = 0; i < controls_.size(); ++i) {
    const SettingsFormControl& control = Controls()[i];
    common::TwipsRect twips = control.rect;
    if (control.kind == ControlKind::DropDownList) twips.height += kListRoomTwips;
    const common::PixelRect at = common::ToPixels(twips, layoutDpi, layoutDpi);
    if (font_ != nullptr) {
      SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
    SetWindowPos(controls_[i], nullptr, at.left, at.top, at.width, at.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (old != nullptr) DeleteObject(old);
  return {common::TwipsToPixels(kClientWidthTwips, layoutDpi),
          common::TwipsToPixels(kClientHeightTwips, layoutDpi)};
}

void SettingsWindowWin32::Show() {
  Draw();
  ShowWindow(window_, showCommand_);
  UpdateWindow(window_);
  // The first control in tab order starts with the focus.
  SetFocus(Child(ControlIndex::ApplyButton));
}

void SettingsWindowWin32::Draw() {
  SendMessageW(Child(ControlIndex::VolumeList), CB_SETCURSEL,
               static_cast<WPARAM>(form_.VolumeRangeEntry()), 0);
  SendMessageW(Child(ControlIndex::ClickList), CB_SETCURSEL,
               static_cast<WPARAM>(form_.ClickMenuEntry()), 0);
  HWND button = Child(ControlIndex::ApplyButton);
  const bool enabled = form_.ApplyEnabled();
  if (!enabled && GetFocus() == button) {
    // A greyed button cannot keep the focus; it goes on to the next control, as Tab would.
    SetFocus(GetNextDlgTabItem(window_, button, FALSE));
  }
  EnableWindow(button, enabled ? TRUE : FALSE);
}

void SettingsWindowWin32::OnCommand(int id, int code, HWND from) {
  if (id == IdOf(ControlIndex::VolumeList) && code == CBN_SELCHANGE) {
    form_.OnVolumeRangeChosen(static_cast<int>(SendMessageW(from, CB_GETCURSEL, 0, 0)));
  } else if (id == IdOf(ControlIndex::ClickList) && code == CBN_SELCHANGE) {
    form_.OnClickMenuChosen(static_cast<int>(SendMessageW(from, CB_GETCURSEL, 0, 0)));
  } else if (id == IdOf(ControlIndex::ApplyButton) && code == BN_CLICKED) {
    form_.OnApplyClicked();
  } else if (id == IDOK && GetFocus() == Child(ControlIndex::ApplyButton)) {
    // Enter on the focused button: the keyboard handling reports it as the window's OK.
    form_.OnApplyClicked();
  } else if (id == IDCANCEL) {
    // Escape: as the close box, choices not applied are dropped.
    SendMessageW(window_, WM_CLOSE, 0, 0);
    return;
  } else {
    return;
  }
  Draw();
}

LRESULT CALLBACK SettingsWindowWin32::Procedure(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* self = static_cast<SettingsWindowWin32*>(create->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<SettingsWindowWin32*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->Handle(window, message, wParam, lParam);
}

LRESULT SettingsWindowWin32::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_DPICHANGED: {
      // Moved to a monitor of another scale, or the scale changed: everything is laid out
      // again from the twips at the new DPI, where the system suggests.
      const int dpi = LOWORD(wParam);
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      const POINT at{suggested->left, suggested->top};
      platform::win32::PlaceWindow(window_, LayOut(dpi), dpi, &at);
      return 0;
    }
    case WM_ACTIVATE:
      // Keep the control that had the focus for when the window is active again.
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
    case WM_DESTROY:
      // Closing the window ends the program; choices not applied are dropped.
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default: break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace marrowgate
