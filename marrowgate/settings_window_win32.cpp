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

}  // namespace

SettingsWindowWin32::SettingsWindowWin32(HINSTANCE instance, SettingsForm& form, int showCommand)
    : DialogWindow(instance, kWindowClass), form_(form), showCommand_(showCommand) {}

SettingsWindowWin32::~SettingsWindowWin32() {
  if (font_ != nullptr) DeleteObject(font_);
}

void SettingsWindowWin32::Create() { CreateDialogWindow(kTitle, kWindowStyle); }

void SettingsWindowWin32::CreateControls() {
  // Created in tab order: the order of the children is the order Tab walks them in. LayOut
  // places them and gives them their font.
  for (size_t i = 0; i < controls_.size(); ++i) {
    const SettingsFormControl& control = Controls()[i];
    HWND child = CreateControl(control.kind, control.text, kFirstControlId + static_cast<int>(i),
                               control.rightAligned ? SS_RIGHT : 0);
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

std::optional<LRESULT> SettingsWindowWin32::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_DESTROY:
      // Closing the window ends the program; choices not applied are dropped.
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default: return std::nullopt;
  }
}

}  // namespace marrowgate
