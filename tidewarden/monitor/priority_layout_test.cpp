#include "tidewarden/monitor/priority_layout.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace tidewarden {
namespace {

TEST(PriorityLayout, EveryControlFitsTheClientArea) {
  for (const auto& control : PriorityLayout::Controls()) {
    EXPECT_LE(control.rect.left + control.rect.width, PriorityLayout::kClientWidth)
        << static_cast<int>(control.role);
    EXPECT_LE(control.rect.top + control.rect.height, PriorityLayout::kClientHeight)
        << static_cast<int>(control.role);
  }
  for (const auto option : kPriorityOptions) {
    EXPECT_EQ(PriorityLayout::Control(option).kind, PriorityControlKind::OptionButton);
  }
}

TEST(PriorityLayout, EachControlThatActsIsFoundByItsOwnCommand) {
  for (const auto& control : PriorityLayout::Controls()) {
    const bool acts = control.kind == PriorityControlKind::List ||
                      control.kind == PriorityControlKind::PushButton ||
                      control.kind == PriorityControlKind::OptionButton;
    EXPECT_EQ(control.command != 0, acts) << static_cast<int>(control.role);
    if (acts) {
      EXPECT_EQ(PriorityLayout::ControlOfCommand(control.command), control.role);
    }
  }
  EXPECT_EQ(PriorityLayout::ControlOfCommand(0), std::nullopt);
  EXPECT_EQ(PriorityLayout::Control(PriorityControlRole::OkButton).command, kOkCommand);
}

TEST(PriorityLayout, TabAndReadingOrderFollowTheEye) {
  using Role = PriorityControlRole;
  std::vector<Role> acting;
  const auto controls = PriorityLayout::Controls();
  for (size_t k = 0; k < controls.size(); ++k) {
    if (controls[k].command != 0) acting.push_back(controls[k].role);
    // A screen reader names a list by the label created just before it.
    if (controls[k].kind == PriorityControlKind::List) {
      ASSERT_GT(k, 0u);
      EXPECT_EQ(controls[k - 1].kind, PriorityControlKind::Label) << static_cast<int>(k);
    }
  }
  EXPECT_EQ(acting, (std::vector<Role>{Role::RunningList, Role::AddButton, Role::WatchList,
                                       Role::DeleteButton, Role::RealtimeOption, Role::HighOption,
                                       Role::NormalOption, Role::IdleOption, Role::OkButton}));
}

TEST(PriorityLayout, ALabelIsAsLargeAsItsTextAndNeverSmallerThanLaidOut) {
  using Role = PriorityControlRole;
  const struct {
    Role role;
    int dpi;
    TextExtent text;
    common::PixelRect at;
  } cases[] = {
      {Role::RunningLabel, 96, {60, 12}, {8, 8, 79, 12}},  // laid out 79 x 12
      {Role::RunningLabel, 96, {78, 13}, {8, 8, 80, 13}},  // two pixels to spare
      {Role::RunningLabel, 96, {98, 15}, {8, 8, 100, 15}},
      {Role::WatchLabel, 120, {70, 16}, {10, 400, 105, 16}},  // laid out 105 x 15
      {Role::WatchLabel, 144, {130, 18}, {12, 480, 132, 18}},
      {Role::NameHeading, 96, {500, 40}, {8, 24, 225, 17}},  // only labels follow their text
      {Role::AddButton, 120, {500, 40}, {200, 360, 251, 31}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PriorityLayout::PlaceControl(c.role, c.dpi, c.dpi, c.text), c.at)
        << static_cast<int>(c.role) << " at " << c.dpi << " measuring " << c.text.width;
  }
}

TEST(PriorityLayout, EachOptionButtonEndsWhereTheNextBegins) {
  const auto place = [](PriorityControlRole role, int dpi) {
    return PriorityLayout::PlaceControl(role, dpi, dpi, {500, 40});
  };
  const struct {
    int dpi;
    std::array<common::PixelRect, 4> at;
  } cases[] = {
      {96, {{{112, 451, 104, 17}, {216, 451, 88, 17}, {304, 451, 96, 17}, {400, 451, 105, 17}}}},
      // Edges scaled, as in every window: 6760 and 7015 twips are rows 563 and 585, so 22
      // high where its height alone would give 21.
      {120, {{{140, 563, 130, 22}, {270, 563, 110, 22}, {380, 563, 120, 22}, {500, 563, 131, 22}}}},
  };
  for (const auto& c : cases) {
    for (size_t k = 0; k < kPriorityOptions.size(); ++k) {
      EXPECT_EQ(place(kPriorityOptions[k], c.dpi), c.at[k]) << k << " at " << c.dpi;
    }
  }
  for (const int dpi : {96, 120, 144, 168, 192}) {
    const common::PixelRect frame = place(PriorityControlRole::OptionFrame, dpi);
    for (size_t k = 0; k < kPriorityOptions.size(); ++k) {
      const common::PixelRect at = place(kPriorityOptions[k], dpi);
      if (k + 1 < kPriorityOptions.size()) {
        EXPECT_EQ(at.left + at.width, place(kPriorityOptions[k + 1], dpi).left)
            << k << " at " << dpi;
      } else {
        // The last keeps its width: to its own right edge.
        EXPECT_EQ(at.left + at.width, common::TwipsToPixels(6000 + 1575, dpi)) << dpi;
      }
      EXPECT_GT(at.left, frame.left) << k << " at " << dpi;
      EXPECT_LT(at.left + at.width, frame.left + frame.width) << k << " at " << dpi;
    }
  }
}

}  // namespace
}  // namespace tidewarden
