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

// The dots per inch a layout in twips is drawn at so that it grows with the dialog font, as
// dialog units do: `dpi` grown by as much as a font `fontHeight` pixels high (a LOGFONT's
// height, either sign) exceeds 9 points at `dpi`, which is where the user's larger text size
// shows. Never below `dpi`, so a smaller system font shrinks nothing.
int TextScaledDpi(int dpi, int fontHeight);

}  // namespace common
