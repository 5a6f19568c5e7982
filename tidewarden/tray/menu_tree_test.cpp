#include "tidewarden/tray/menu_tree.h"

#include <gtest/gtest.h>

#include <vector>

namespace tidewarden {
namespace {

std::vector<std::u16string> Captions(const std::vector<platform::MenuEntry>& entries) {
  std::vector<std::u16string> captions;
  for (const auto& e : entries) captions.push_back(e.separator ? u"-" : e.caption);
  return captions;
}

TEST(MenuTree, WholeMenuInOrder) {
  const MenuTree tree;
  const std::vector<std::u16string> expected = {u"メニューを閉じる",
                                                u"-",
                                                u"",
                                                u"",
                                                u"-",
                                                u"音量",
                                                u"解像度変更",
                                                u"-",
                                                u"メモリーリークを治す",
                                                u"エクスプローラを再起動する",
                                                u"-",
                                                u"設定の変更",
                                                u"ツール設定の変更",
                                                u"プロセス監視",
                                                u"-",
                                                u"終了"};
  EXPECT_EQ(Captions(tree.EntriesUnder({Item::Root})), expected);
}

TEST(MenuTree, SubmenusAndStartStates) {
  const MenuTree tree;
  const auto volume = Captions(tree.EntriesUnder({Item::Volume}));
  ASSERT_EQ(volume.size(), 2u + 19u + 2u);
  EXPECT_EQ(volume[0], u"メニューを閉じる");
  EXPECT_EQ(volume[2], u"＋9 (最大)");
  EXPECT_EQ(volume[20], u"－9 (ミュート)");
  EXPECT_EQ(volume[22], u"ボリューム");

  // Only "(なし)" of the resolution entries is visible at start.
  EXPECT_EQ(Captions(tree.EntriesUnder({Item::Resolution})),
            (std::vector<std::u16string>{u"メニューを閉じる", u"-", u"(なし)"}));

  const auto monitor = tree.EntriesUnder({Item::Monitor});
  ASSERT_EQ(monitor.size(), 4u);
  EXPECT_FALSE(monitor[2].checked);  // 監視する
  EXPECT_TRUE(monitor[3].checked);   // 監視しない
  EXPECT_TRUE(tree.EntriesUnder({Item::Root})[13].submenu);
}

TEST(MenuTree, VolumeCaptionsUseFullWidthSigns) {
  EXPECT_EQ(VolumeStepCaption(0), u"\uFF0B9 (最大)");
  EXPECT_EQ(VolumeStepCaption(8), u"\uFF0B1 \u3000\u2191");
  EXPECT_EQ(VolumeStepCaption(9), u"\u00B10 (中音量)");
  EXPECT_EQ(VolumeStepCaption(10), u"\uFF0D1 \u3000\u2193");
  EXPECT_EQ(VolumeStepCaption(17), u"\uFF0D8");
}

TEST(MenuTree, CommandIdsLeadBackToTheirItems) {
  MenuTree tree;
  tree[{Item::VolumeClose}].visible = true;
  for (const auto& entry : tree.EntriesUnder({Item::Volume})) {
    const auto key = tree.ItemOfCommand(entry.id);
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(tree[*key].caption, entry.separator ? u"-" : entry.caption);
  }
  const auto steps = tree.EntriesUnder({Item::Volume});
  EXPECT_EQ(tree.ItemOfCommand(steps[2 + 18].id), (ItemKey{Item::VolumeStep, 18}));
  EXPECT_EQ(tree.ItemOfCommand(0), std::nullopt);
  EXPECT_EQ(tree.ItemOfCommand(100000), std::nullopt);
}

TEST(MenuTree, HiddenItemsAreLeftOut) {
  MenuTree tree;
  tree[{Item::VolumeClose}].visible = false;
  tree[{Item::VolumeCloseSeparator}].visible = false;
  EXPECT_EQ(Captions(tree.EntriesUnder({Item::Volume}))[0], u"＋9 (最大)");
}

}  // namespace
}  // namespace tidewarden
