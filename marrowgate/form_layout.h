#pragma once

#include <array>
#include <span>
#include <string_view>

namespace marrowgate {

// The window's words, in one place.
inline constexpr std::u16string_view kTitle = u"Tidewardenツールの設定";
inline constexpr std::u16string_view kApplyCaption = u"適用";
inline constexpr std::u16string_view kVolumeLabel = u"選択できるボリュームを環境に合わせます";
inline constexpr std::u16string_view kClickLabel = u"タスクトレイの左クリックの処理";
inline constexpr std::array<std::u16string_view, 3> kVolumeItems = {
    u"ノーマル", u"ヘッドフォン", u"スピーカー"};
inline constexpr std::array<std::u16string_view, 2> kClickItems = {u"音量", u"解像度変更"};

// Positions are kept in twips, 1/1440 inch, and turned into pixels for the screen at hand.
struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

struct PixelRect {
  int left;
  int top;
  int width;
  int height;
  bool operator==(const PixelRect&) const = default;
};

enum class ControlKind {
  Button,        // a push button
  DropDownList,  // a combo box whose list is picked from, never typed into
  Label,
};

// The controls, in tab order; a control's place in the table is its ControlIndex.
enum class ControlIndex { ApplyButton, VolumeList, VolumeLabel, ClickList, ClickLabel };

struct ControlLayout {
  std::string_view name;
  ControlKind kind;
  std::u16string_view text;                    // button and label caption
  std::span<const std::u16string_view> items;  // list entries of a drop-down list
  TwipsRect rect;
  bool rightAligned;  // a label whose text ends at its right edge, next to its list
};

inline constexpr int kClientWidthTwips = 6435;
inline constexpr int kClientHeightTwips = 4530;

std::span<const ControlLayout> Controls();
const ControlLayout& Control(ControlIndex index);

// Twips to pixels at `dpi` dots per inch, to the nearest pixel (a half rounds up): 15 twips
// make a pixel at 96 dpi.
int TwipsToPixels(int twips, int dpi);

// A rectangle in pixels whose edges are the twips edges turned into pixels, so controls that
// line up in twips still line up on the screen.
PixelRect ToPixels(const TwipsRect& rect, int dpiX, int dpiY);

}  // namespace marrowgate
