#include "common/twips.h"

#include <gtest/gtest.h>

namespace common {
namespace {

TEST(TwipsToPixels, FifteenTwipsAPixelAt96Dpi) {
  const struct {
    int twips;
    int dpi;
    int pixels;
  } cases[] = {
      {0, 96, 0},
      {15, 96, 1},
      {7, 96, 0},
      {8, 96, 1},
      {1440, 96, 96},
      {1440, 120, 120},
      {1440, 144, 144},
      {6435, 96, 429},
      {4530, 96, 302},
      {6435, 120, 536},
      {4530, 120, 378},
      {6435, 144, 644},
      {4530, 144, 453},
      {375, 120, 31},
      {375, 144, 38},
      {-15, 96, -1},
      {-7, 96, 0},
      {-8, 96, -1},
      {-8, 90, 0},  // -0.5 rounds up, as 0.5 does
      {2000000, 192, 266667},
      {2000000000, 96, 133333333},  // twips times dots beyond 32 bits
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi;
  }
}

TEST(TextScaledDpi, GrowsWithTheDialogFontButNeverShrinks) {
  const struct {
    int dpi;
    int fontHeight;
    int scaled;
  } cases[] = {
      {96, -12, 96},                     // 9 points: text at its usual size
      {96, 12, 96},                      // a cell height counts as well
      {96, -11, 96},                     // a smaller font shrinks nothing
      {96, 0, 96},                       // the system's default size
      {96, -15, 120},                    // text at 125 %
      {96, -27, 216},                    // text at 225 %, the most Windows offers
      {144, -18, 144},                   // 9 points at 150 %
      {144, -23, 184},                   // and text at 128 % of it: 144 x 23 / 18 = 184
      {192, -30, 240}, {120, -15, 120},  // 9 points at 120 dpi
      {120, -16, 128},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextScaledDpi(c.dpi, c.fontHeight), c.scaled) << c.fontHeight << " at " << c.dpi;
  }
}

TEST(ToPixels, EdgesAreConvertedSoNeighboursStayInLine) {
  const struct {
    TwipsRect twips;
    int dpiX;
    int dpiY;
    PixelRect pixels;
  } cases[] = {
      {{5040, 4080, 1335, 375}, 96, 96, {336, 272, 89, 25}},
      {{3840, 180, 2535, 300}, 96, 96, {256, 12, 169, 20}},
      {{3480, 180, 2895, 300}, 120, 120, {290, 15, 241, 25}},    // right edge 531.25
      {{5040, 4080, 1335, 375}, 144, 144, {504, 408, 134, 38}},  // edges 503.5, 637.5, 445.5
      {{120, 240, 3195, 180}, 144, 96, {12, 16, 320, 12}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToPixels(c.twips, c.dpiX, c.dpiY), c.pixels)
        << c.twips.left << "," << c.twips.top << " at " << c.dpiX << "x" << c.dpiY;
  }
}

}  // namespace
}  // namespace common
