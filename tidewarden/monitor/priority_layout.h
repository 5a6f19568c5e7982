#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "common/form_controls.h"
#include "common/twips.h"

namespace tidewarden {

using PriorityControlKind = common::ControlKind;

// The controls in the order they are created, which is the order Tab walks them in and a
// screen reader reads them in: each label comes just before the list it names, so the list
// is read out with its name. A control's place in the table is its role.
enum class PriorityControlRole {
  NameHeading,
  PriorityHeading,
  ThreadCountHeading,
  ProcessIdHeading,  // captioned "handle"; its column shows the process id
  RunningLabel,
  RunningList,
  AddButton,
  PathHeading,
  WatchPriorityHeading,
  WatchLabel,
  WatchList,
  DeleteButton,
  OptionFrame,
  RealtimeOption,
  HighOption,
  NormalOption,
  IdleOption,
  OkButton,
};

// The option buttons in the order of the priority options they choose.
inline constexpr std::array<PriorityControlRole, 4> kPriorityOptions = {
    PriorityControlRole::RealtimeOption, PriorityControlRole::HighOption,
    PriorityControlRole::NormalOption, PriorityControlRole::IdleOption};

// The command OK reports with: the one the dialog keyboard handling sends for Enter.
inline constexpr int kOkCommand = 1;

struct PriorityWindowControl {
  PriorityControlRole role;
  PriorityControlKind kind;
  std::u16string_view caption;
  common::TwipsRect rect;  // in the client area
  int command;             // the id it reports with; 0 for a control that reports nothing
};

// A caption measured in the window's font on the screen at hand, in pixels.
struct TextExtent {
  int width;
  int height;
};

// Where the priority window's controls go, and what each is: the table in twips and the
// placing in pixels. The window's state is PriorityWindow's.
struct PriorityLayout {
  static constexpr char16_t kCaption[] = u"プロセス監視の設定";
  static constexpr int kClientWidth = 7815;
  static constexpr int kClientHeight = 7635;
  static std::span<const PriorityWindowControl> Controls();
  static const PriorityWindowControl& Control(PriorityControlRole role);
  // The control that reports with `command`, if any does.
  static std::optional<PriorityControlRole> ControlOfCommand(int command);
  // Where a control goes on a screen of dpiX by dpiY dots per inch. `caption` is its caption
  // measured in the font it is drawn in; only a label's size depends on it.
  static common::PixelRect PlaceControl(PriorityControlRole role, int dpiX, int dpiY,
                                        TextExtent caption);
};

}  // namespace tidewarden
