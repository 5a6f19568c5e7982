#include "common/twips.h"

namespace common {

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

int TextScaledDpi(int dpi, int fontHeight) {
  const long long nominal = (9LL * dpi + 36) / 72;  // 9 points in pixels, to the nearest
  const long long height = fontHeight < 0 ? -static_cast<long long>(fontHeight) : fontHeight;
  if (nominal <= 0 || height <= nominal) return dpi;
  return static_cast<int>((dpi * height + nominal / 2) / nominal);
}

}  // namespace common
