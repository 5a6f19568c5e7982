#pragma once

namespace common {

// Window layouts are kept in twips, 1/1440 inch, and turned into pixels for the screen at hand.
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

// Twips to pixels at `dpi` dots per inch, to the nearest pixel (a half rounds up): 15 twips
// make a pixel at 96 dpi.
int TwipsToPixels(int twips, int dpi);

// A rectangle in pixels whose edges are the twips edges turned into pixels, so controls that
// line up in twips still line up on the screen.
PixelRect ToPixels(const TwipsRect& rect, int dpiX, int dpiY);

}  // namespace common
