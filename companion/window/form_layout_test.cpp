// Twips to pixels for the companion window's layout.
#include "companion/window/form_layout.h"

#include <gtest/gtest.h>

#include <array>

namespace companion {
namespace {

std::array<int, 4> Values(const FormRect& r) { return {r.left, r.top, r.width, r.height}; }

TEST(FormLayout, TwipsBecomePixelsRoundedAtEachAxisResolution) {
  // At 96 dots per inch 15 twips make a pixel.
  EXPECT_EQ(Values(PixelRect(kFormClientTwips, 96, 96)), (std::array<int, 4>{30, 207, 166, 40}));
  // Horizontal values at 144, vertical ones at 96: 73.2 and 24.8 pixels round to the nearest.
  EXPECT_EQ(Values(PixelRect(kFormButtons[1].twips, 144, 96)), (std::array<int, 4>{144, 8, 73, 25}));
  EXPECT_EQ(TwipsToPixels(2490, 120), 208);  // halves round away from zero
  EXPECT_EQ(TwipsToPixels(-15, 96), -1);
  // The buttons' font: 11, 13.75 and 16.5 pixels high.
  EXPECT_EQ(FontHeightForPoints(kButtonFontPoints, 96), -11);
  EXPECT_EQ(FontHeightForPoints(kButtonFontPoints, 120), -14);
  EXPECT_EQ(FontHeightForPoints(kButtonFontPoints, 144), -17);
}

}  // namespace
}  // namespace companion
