#include "marrowgate/form_layout.h"

namespace marrowgate {
namespace {

// The labels end just left of their lists and reach back to the left margin, so a label
// keeps its text on one line with 9-point Japanese glyphs (180 twips each) whatever the font.
constexpr std::array<ControlLayout, 5> kControls = {{
    {"ApplyButton", ControlKind::Button, kApplyCaption, {}, {5040, 4080, 1335, 375}, false},
    {"VolumeList", ControlKind::DropDownList, {}, kVolumeItems, {3840, 180, 2535, 300}, false},
    {"VolumeLabel", ControlKind::Label, kVolumeLabel, {}, {120, 240, 3600, 240}, true},
    {"ClickList", ControlKind::DropDownList, {}, kClickItems, {3840, 720, 2535, 300}, false},
    {"ClickLabel", ControlKind::Label, kClickLabel, {}, {120, 780, 3600, 240}, true},
}};

}  // namespace

std::span<const ControlLayout> Controls() { return kControls; }

const ControlLayout& Control(ControlIndex index) {
  return kControls[static_cast<size_t>(index)];
}

int TwipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  // Round half up on both sides of zero, so a shift by whole twips never moves a pixel edge
  // unevenly.
  const long long whole = scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 719) / 1440);
  return static_cast<int>(whole);
}

PixelRect ToPixels(const TwipsRect& rect, int dpiX, int dpiY) {
  const int left = TwipsToPixels(rect.left, dpiX);
  const int top = TwipsToPixels(rect.top, dpiY);
  return {left, top, TwipsToPixels(rect.left + rect.width, dpiX) - left,
          TwipsToPixels(rect.top + rect.height, dpiY) - top};
}

}  // namespace marrowgate
