#include "tidewarden/priority_window_win32.h"

#include <algorithm>
#include <string>

#include "platform/win32/wide_text.h"

namespace tidewarden {

namespace {

constexpr wchar_t kClass[] = L"TidewardenPriorityWindow";
constexpr UINT_PTR kRefreshTimer = 1;
constexpr int kIdList1 = 101;
constexpr int kIdList2 = 102;
constexpr int kIdAdd = 103;
constexpr int kIdDelete = 104;
constexpr int kIdOk = IDOK;
constexpr int kIdOption0 = 110;

using platform::win32::Wide;

std::wstring TextOf(const char16_t* text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text));
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

HFONT CreateUiFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return CreateFontIndirectW(&metrics.lfMessageFont);
  }
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// Rewrites a list box to the core's rows in place: only rows whose text changed are touched.
void SyncList(HWND list, const std::vector<std::u16string>& rows, std::optional<size_t> selected) {
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  const auto count = static_cast<size_t>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (size_t k = 0; k < rows.size(); ++k) {
    if (k < count) {
      const auto length = static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, k, 0));
      std::wstring shown(length + 1, L'\0');
      SendMessageW(list, LB_GETTEXT, k, reinterpret_cast<LPARAM>(shown.data()));
      shown.resize(length);
      if (shown == reinterpret_cast<const wchar_t*>(rows[k].c_str())) continue;
      SendMessageW(list, LB_DELETESTRING, k, 0);
    }
    SendMessageW(list, LB_INSERTSTRING, k, reinterpret_cast<LPARAM>(Wide(rows[k])));
  }
  for (size_t k = count; k > rows.size(); --k) SendMessageW(list, LB_DELETESTRING, k - 1, 0);
  SendMessageW(list, LB_SETCURSEL, selected ? static_cast<WPARAM>(*selected) : static_cast<WPARAM>(-1), 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

std::optional<size_t> Selection(HWND list) {
  const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return std::nullopt;
  return static_cast<size_t>(index);
}

}  // namespace

PriorityWindowWin32::PriorityWindowWin32(HINSTANCE instance, ProcessMonitor& monitor,
                                         ProgramState& state, platform::MessageBoxes& boxes)
    : instance_(instance), monitor_(monitor), state_(state), boxes_(boxes) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClass;
  RegisterClassExW(&windowClass);
}

PriorityWindowWin32::~PriorityWindowWin32() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (uiFont_ != nullptr) DeleteObject(uiFont_);
  if (listFont_ != nullptr) DeleteObject(listFont_);
}

void PriorityWindowWin32::ShowPriorityWindow() {
  if (window_ == nullptr) Create();
  if (window_ == nullptr) return;
  // A minimised window is brought back as it was, not left on the taskbar.
  ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(window_);
}

bool PriorityWindowWin32::HandleDialogMessage(MSG& message) {
  return window_ != nullptr && IsDialogMessageW(window_, &message);
}

int PriorityWindowWin32::Pixels(int twips, bool horizontal) const {
  return MulDiv(twips, horizontal ? dpiX_ : dpiY_, 1440);
}

void PriorityWindowWin32::Create() {
  HDC screen = GetDC(nullptr);
  dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
  dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (uiFont_ == nullptr) uiFont_ = CreateUiFont();
  if (listFont_ == nullptr) listFont_ = CreateListFont(dpiY_);

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, Pixels(PriorityWindow::kClientWidth, true),
             Pixels(PriorityWindow::kClientHeight, false)};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  window_ = CreateWindowExW(0, kClass, Wide(PriorityWindow::kCaption), style,
                            (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                            (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr,
                            nullptr, instance_, this);
  if (window_ == nullptr) return;
  CreateControls();
  core_ = std::make_unique<PriorityWindow>(monitor_, state_, boxes_);
  core_->Open();
  Draw();
  SetTimer(window_, kRefreshTimer, 1000, nullptr);
}

void PriorityWindowWin32::CreateControls() {
  // Places a control in pixels; `make` takes the layout's twips.
  auto place = [&](const wchar_t* kind, const std::wstring& text, DWORD style, int x, int y,
                   int cx, int cy, int id, HFONT font) {
    HWND control = CreateWindowExW(0, kind, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y,
                                   cx, cy, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                                   nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return control;
  };
  auto make = [&](const wchar_t* kind, const std::wstring& text, DWORD style, int left, int top,
                  int width, int height, int id, HFONT font) {
    return place(kind, text, style, Pixels(left, true), Pixels(top, false), Pixels(width, true),
                 Pixels(height, false), id, font);
  };
  int frameLeft = 0;
  int frameTop = 0;
  for (const ControlLayout& c : PriorityWindow::Layout()) {
    const std::wstring name = TextOf(c.name);
    const std::wstring caption = TextOf(c.caption);
    if (name == L"List1" || name == L"List2") {
      HWND list = make(L"LISTBOX", L"",
                       WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                       c.left, c.top, c.width, c.height, name == L"List1" ? kIdList1 : kIdList2,
                       listFont_);
      (name == L"List1" ? list1_ : list2_) = list;
    } else if (name == L"Frame1") {
      make(L"BUTTON", L"", BS_GROUPBOX, c.left, c.top, c.width, c.height, 0, uiFont_);
      frameLeft = c.left;
      frameTop = c.top;
    } else if (name.rfind(L"Label", 0) == 0) {
      // A label is as wide as its text needs in the font at hand, never narrower than laid out.
      HDC context = GetDC(window_);
      HGDIOBJ old = SelectObject(context, uiFont_);
      SIZE extent{};
      GetTextExtentPoint32W(context, caption.c_str(), static_cast<int>(caption.size()), &extent);
      TEXTMETRICW metrics{};
      GetTextMetricsW(context, &metrics);
      SelectObject(context, old);
      ReleaseDC(window_, context);
      const int width = std::max(c.width, MulDiv(extent.cx + 2, 1440, dpiX_));
      const int height = std::max(c.height, MulDiv(metrics.tmHeight, 1440, dpiY_));
      make(L"STATIC", caption, SS_LEFT | SS_NOPREFIX, c.left, c.top, width, height, 0, uiFont_);
    } else {
      int id = 0;  // the column headings do nothing
      if (name == L"Command7") id = kIdAdd;
      if (name == L"Command9") id = kIdDelete;
      if (name == L"Command8") id = kIdOk;
      make(L"BUTTON", caption, BS_PUSHBUTTON | WS_TABSTOP, c.left, c.top, c.width, c.height, id,
           uiFont_);
    }
  }
  const std::vector<ControlLayout>& options = PriorityWindow::OptionLayout();
  for (size_t k = 0; k < options.size() && k < std::size(options_); ++k) {
    const ControlLayout& c = options[k];
    const int x = Pixels(frameLeft + c.left, true);
    int cx = Pixels(c.width, true);
    // Laid out wider than the gap to the next one: a redrawn button paints its whole
    // rectangle and would wipe out the next one's circle, so it ends where that one begins.
    if (k + 1 < options.size()) {
      cx = std::min(cx, Pixels(frameLeft + options[k + 1].left, true) - x);
    }
    options_[k] = place(L"BUTTON", TextOf(c.caption), BS_RADIOBUTTON | WS_TABSTOP, x,
                        Pixels(frameTop + c.top, false), cx, Pixels(c.height, false),
                        kIdOption0 + static_cast<int>(k), uiFont_);
  }
}

void PriorityWindowWin32::Draw() {
  if (core_ == nullptr) return;
  SyncList(list1_, core_->RunningRows(), core_->RunningSelection());
  SyncList(list2_, core_->WatchEntries(), core_->WatchSelection());
  for (int i = 0; i < 4; ++i) {
    EnableWindow(options_[i], core_->OptionsEnabled());
    SendMessageW(options_[i], BM_SETCHECK,
                 core_->SelectedOption() == i ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void PriorityWindowWin32::OnCommand(int id, int code) {
  if (core_ == nullptr) return;
  if (id == kIdList1 && code == LBN_SELCHANGE) {
    core_->OnRunningRowClicked(Selection(list1_));
  } else if (id == kIdList2 && code == LBN_SELCHANGE) {
    core_->OnWatchEntryClicked(Selection(list2_));
  } else if (id == kIdAdd && code == BN_CLICKED) {
    core_->OnAddClicked();
  } else if (id == kIdDelete && code == BN_CLICKED) {
    core_->OnDeleteClicked();
  } else if (id >= kIdOption0 && id < kIdOption0 + 4 && code == BN_CLICKED) {
    core_->OnPriorityOptionClicked(id - kIdOption0);
  } else if (id == kIdOk && code == BN_CLICKED) {
    // The dialog manager turns Enter in any control into OK's id; only OK itself saves.
    if (GetFocus() != GetDlgItem(window_, kIdOk)) return;
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
  if (window_ != nullptr) {
    KillTimer(window_, kRefreshTimer);
    HWND closing = window_;
    window_ = nullptr;
    DestroyWindow(closing);
  }
}

LRESULT PriorityWindowWin32::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kRefreshTimer && core_ != nullptr) {
        core_->OnRefreshTimer();
        Draw();
      }
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CLOSE:
      Close();  // the close box discards the edits
      return 0;
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

LRESULT CALLBACK PriorityWindowWin32::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<PriorityWindowWin32*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ != window) return DefWindowProcW(window, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

}  // namespace tidewarden
