#include "marrowgate/form_layout.h"

namespace marrowgate {
namespace {

// The labels end just left of their lists and reach back to the left margin, so a label
// keeps its text on one line with 9-point Japanese glyphs (180 twips each) whatever the font.
constexpr std::array<SettingsFormControl, 5> kControls = {{
    {"ApplyButton", ControlKind::PushButton, kApplyCaption, {}, {5040, 4080, 1335, 375}, false},
    {"VolumeLabel", ControlKind::Label, kVolumeLabel, {}, {120, 240, 3600, 240}, true},
    {"VolumeList", ControlKind::DropDownList, {}, kVolumeItems, {3840, 180, 2535, 300}, false},
    {"ClickLabel", ControlKind::Label, kClickLabel, {}, {120, 780, 3600, 240}, true},
    {"ClickList", ControlKind::DropDownList, {}, kClickItems, {3840, 720, 2535, 300}, false},
}};

}  // namespace

std::span<const SettingsFormControl> Controls() { return kControls; }

const SettingsFormControl& Control(ControlIndex index) {
  return kControls[static_cast<size_t>(index)];
}

}  // namespace marrowgate
