#include "marrowgate/form_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace marrowgate {
namespace {

using common::PixelRect;
using common::ToPixels;
using common::TwipsToPixels;

TEST(Layout, ControlsInTabOrder) {
  std::vector<std::string> names;
  for (const auto& control : Controls()) names.emplace_back(control.name);
  // Each label just before the list it names, which is how a screen reader finds its name.
  EXPECT_EQ(names, (std::vector<std::string>{"ApplyButton", "VolumeLabel", "VolumeList",
                                             "ClickLabel", "ClickList"}));
  EXPECT_EQ(Control(ControlIndex::ClickList).name, "ClickList");
  EXPECT_EQ(Control(ControlIndex::ApplyButton).text, u"適用");
  EXPECT_EQ(Control(ControlIndex::VolumeList).kind, ControlKind::DropDownList);
  EXPECT_EQ(Control(ControlIndex::VolumeLabel).kind, ControlKind::Label);
  const auto volume = Control(ControlIndex::VolumeList).items;
  EXPECT_EQ(std::vector<std::u16string_view>(volume.begin(), volume.end()),
            (std::vector<std::u16string_view>{u"ノーマル", u"ヘッドフォン", u"スピーカー"}));
  const auto click = Control(ControlIndex::ClickList).items;
  EXPECT_EQ(std::vector<std::u16string_view>(click.begin(), click.end()),
            (std::vector<std::u16string_view>{u"音量", u"解像度変更"}));
}

TEST(Layout, EveryControlFitsAndEachLabelSitsLeftOfItsList) {
  for (const int dpi : {96, 120, 144, 192}) {
    const int width = TwipsToPixels(kClientWidthTwips, dpi);
    const int height = TwipsToPixels(kClientHeightTwips, dpi);
    for (const auto& control : Controls()) {
      const PixelRect r = ToPixels(control.rect, dpi, dpi);
      EXPECT_GE(r.left, 0) << control.name << " at " << dpi;
      EXPECT_GE(r.top, 0) << control.name << " at " << dpi;
      EXPECT_LE(r.left + r.width, width) << control.name << " at " << dpi;
      EXPECT_LE(r.top + r.height, height) << control.name << " at " << dpi;
      EXPECT_GT(r.width, 0) << control.name << " at " << dpi;
      EXPECT_GT(r.height, 0) << control.name << " at " << dpi;
    }
    const auto at = [dpi](ControlIndex index) { return ToPixels(Control(index).rect, dpi, dpi); };
    for (const auto& [label, list] :
         {std::pair{ControlIndex::VolumeLabel, ControlIndex::VolumeList},
          std::pair{ControlIndex::ClickLabel, ControlIndex::ClickList}}) {
      const PixelRect l = at(label);
      const PixelRect c = at(list);
      EXPECT_LT(l.left + l.width, c.left) << Control(label).name << " at " << dpi;
      // The label's text line lies within the height of its list.
      EXPECT_GE(l.top, c.top) << Control(label).name << " at " << dpi;
      EXPECT_LE(l.top + l.height, c.top + c.height) << Control(label).name << " at " << dpi;
    }
    // Room for each label's text on one line in 9-point full-width glyphs.
    for (const auto index : {ControlIndex::VolumeLabel, ControlIndex::ClickLabel}) {
      const SettingsFormControl& label = Control(index);
      const int glyph = TwipsToPixels(180, dpi);
      EXPECT_GE(at(index).width, static_cast<int>(label.text.size()) * glyph)
          << label.name << " at " << dpi;
      EXPECT_TRUE(label.rightAligned) << label.name;  // its text ends next to its list
    }
    // The lists and the button share their right edge; the lists their left edge.
    const PixelRect button = at(ControlIndex::ApplyButton);
    const PixelRect combo1 = at(ControlIndex::VolumeList);
    const PixelRect combo2 = at(ControlIndex::ClickList);
    EXPECT_EQ(combo1.left, combo2.left) << dpi;
    EXPECT_EQ(combo1.left + combo1.width, combo2.left + combo2.width) << dpi;
    EXPECT_EQ(button.left + button.width, combo1.left + combo1.width) << dpi;
    EXPECT_LT(combo1.top + combo1.height, combo2.top) << dpi;
  }
}

}  // namespace
}  // namespace marrowgate
