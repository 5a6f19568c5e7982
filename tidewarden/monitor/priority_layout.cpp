#include "tidewarden/monitor/priority_layout.h"

#include <algorithm>

namespace tidewarden {

namespace {

using Kind = PriorityControlKind;
using Role = PriorityControlRole;

constexpr std::array<PriorityWindowControl, 18> kControls = {{
    {Role::NameHeading, Kind::ColumnHeading, u"プロセス", {120, 360, 3375, 255}, 0},
    {Role::PriorityHeading, Kind::ColumnHeading, u"優先度", {3480, 360, 1215, 255}, 0},
    {Role::ThreadCountHeading, Kind::ColumnHeading, u"スレッド数", {4680, 360, 1215, 255}, 0},
    {Role::ProcessIdHeading, Kind::ColumnHeading, u"ハンドル", {5880, 360, 1815, 255}, 0},
    {Role::RunningLabel, Kind::Label, u"実行中プロセス", {120, 120, 1185, 180}, 0},
    {Role::RunningList, Kind::List, u"", {120, 600, 7575, 3570}, 101},
    {Role::AddButton, Kind::PushButton, u"↓↓追加する↓↓", {2400, 4320, 3015, 375}, 103},
    {Role::PathHeading, Kind::ColumnHeading, u"プロセス(フルパス)", {120, 5040, 6375, 255}, 0},
    {Role::WatchPriorityHeading, Kind::ColumnHeading, u"優先度", {6480, 5040, 1215, 255}, 0},
    {Role::WatchLabel, Kind::Label, u"優先度変更設定", {120, 4800, 1260, 180}, 0},
    {Role::WatchList, Kind::List, u"", {120, 5280, 7575, 1230}, 102},
    {Role::DeleteButton, Kind::PushButton, u"削除", {120, 6720, 1335, 375}, 104},
    {Role::OptionFrame, Kind::GroupFrame, u"", {1560, 6600, 6135, 495}, 0},
    // Inside the frame, 120 twips from its left and 160 below its top.
    {Role::RealtimeOption, Kind::OptionButton, u"リアルタイム", {1680, 6760, 1575, 255}, 110},
    {Role::HighOption, Kind::OptionButton, u"高", {3240, 6760, 1575, 255}, 111},
    {Role::NormalOption, Kind::OptionButton, u"普通", {4560, 6760, 1575, 255}, 112},
    {Role::IdleOption, Kind::OptionButton, u"アイドル", {6000, 6760, 1575, 255}, 113},
    {Role::OkButton, Kind::PushButton, u"OK", {6240, 7200, 1455, 375}, kOkCommand},
}};

constexpr bool EachControlAtItsRole() {
  for (size_t k = 0; k < kControls.size(); ++k) {
    if (static_cast<size_t>(kControls[k].role) != k) return false;
  }
  return kControls.back().role == Role::OkButton;
}
static_assert(EachControlAtItsRole(), "a control's place in the table is its role");

}  // namespace

std::span<const PriorityWindowControl> PriorityLayout::Controls() { return kControls; }

const PriorityWindowControl& PriorityLayout::Control(PriorityControlRole role) {
  return kControls[static_cast<size_t>(role)];
}

std::optional<PriorityControlRole> PriorityLayout::ControlOfCommand(int command) {
  if (command == 0) return std::nullopt;
  for (const auto& control : kControls) {
    if (control.command == command) return control.role;
  }
  return std::nullopt;
}

common::PixelRect PriorityLayout::PlaceControl(PriorityControlRole role, int dpiX, int dpiY,
                                               TextExtent caption) {
  const PriorityWindowControl& control = Control(role);
  common::PixelRect at = common::ToPixels(control.rect, dpiX, dpiY);
  if (control.kind == Kind::Label) {
    // As wide as its text needs in the font at hand, with two pixels to spare, and as tall as
    // a line; never smaller than laid out.
    at.width = std::max(at.width, caption.width + 2);
    at.height = std::max(at.height, caption.height);
  }
  const auto option = std::find(kPriorityOptions.begin(), kPriorityOptions.end(), role);
  if (option != kPriorityOptions.end() && option + 1 != kPriorityOptions.end()) {
    // Laid out wider than the gap to the next one: a redrawn button paints its whole
    // rectangle and would wipe out the next one's circle, so it ends where that one begins.
    at.width =
        std::min(at.width, common::TwipsToPixels(Control(*(option + 1)).rect.left, dpiX) - at.left);
  }
  return at;
}

}  // namespace tidewarden
