#pragma once

#include <array>
#include <span>
#include <string_view>

#include "common/form_controls.h"
#include "common/twips.h"

namespace marrowgate {

// The window's words, in one place.
inline constexpr std::u16string_view kTitle = u"Tidewardenツールの設定";
inline constexpr std::u16string_view kApplyCaption = u"適用";
inline constexpr std::u16string_view kVolumeLabel = u"選択できるボリュームを環境に合わせます";
inline constexpr std::u16string_view kClickLabel = u"タスクトレイの左クリックの処理";
inline constexpr std::array<std::u16string_view, 3> kVolumeItems = {u"ノーマル", u"ヘッドフォン",
                                                                    u"スピーカー"};
inline constexpr std::array<std::u16string_view, 2> kClickItems = {u"音量", u"解像度変更"};

using ControlKind = common::ControlKind;

// The controls, in tab order, each label just before the list it names: a screen reader names
// a list by the label before it. A control's place in the table is its ControlIndex.
enum class ControlIndex { ApplyButton, VolumeLabel, VolumeList, ClickLabel, ClickList };

struct SettingsFormControl {
  std::string_view name;
  ControlKind kind;
  std::u16string_view text;                    // button and label caption
  std::span<const std::u16string_view> items;  // list entries of a drop-down list
  common::TwipsRect rect;
  bool rightAligned;  // a label whose text ends at its right edge, next to its list
};

// Positions are in twips, turned into pixels with common::ToPixels.
inline constexpr int kClientWidthTwips = 6435;
inline constexpr int kClientHeightTwips = 4530;

std::span<const SettingsFormControl> Controls();
const SettingsFormControl& Control(ControlIndex index);

}  // namespace marrowgate
