// The companion window's layout in pixels.
#include "companion/window/form_layout.h"

#include <cmath>

namespace companion {

int TwipsToPixels(int twips, int dotsPerInch) {
  long long scaled = static_cast<long long>(twips) * dotsPerInch;
  long long half = scaled < 0 ? -720 : 720;
  return static_cast<int>((scaled + half) / 1440);
}

FormRect PixelRect(const FormRect& twips, int dpiX, int dpiY) {
  return {TwipsToPixels(twips.left, dpiX), TwipsToPixels(twips.top, dpiY),
          TwipsToPixels(twips.width, dpiX), TwipsToPixels(twips.height, dpiY)};
}

int FontHeightForPoints(double points, int dpiY) {
  return -static_cast<int>(std::lround(points * dpiY / 72.0));
}

}  // namespace companion
