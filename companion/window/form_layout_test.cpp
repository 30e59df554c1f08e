// Twips to pixels for the companion window's layout.
#include "companion/window/form_layout.h"

#include <gtest/gtest.h>

namespace companion {
namespace {

TEST(FormLayout, TwipsBecomePixelsAtTheDisplaysDotsPerInch) {
  // At 96 dots per inch 15 twips make a pixel: the client area is 166 by 40.
  FormRect client = PixelRect(kFormClientTwips, 96, 96);
  EXPECT_EQ(client.left, 30);
  EXPECT_EQ(client.top, 207);
  EXPECT_EQ(client.width, 166);
  EXPECT_EQ(client.height, 40);

  // Halves round to the nearest pixel (2490 twips at 120 dpi are 207.5 pixels).
  EXPECT_EQ(TwipsToPixels(2490, 120), 208);
  EXPECT_EQ(TwipsToPixels(732, 96), 49);  // 48.8
  EXPECT_EQ(TwipsToPixels(0, 96), 0);
  EXPECT_EQ(TwipsToPixels(-15, 96), -1);

  // Horizontal values follow the horizontal resolution, vertical ones the vertical.
  FormRect button = PixelRect(kFormButtons[1].twips, 144, 96);
  EXPECT_EQ(button.left, 144);
  EXPECT_EQ(button.width, 73);   // 73.2
  EXPECT_EQ(button.top, 8);
  EXPECT_EQ(button.height, 25);  // 24.8
}

TEST(FormLayout, ButtonFontHeightFollowsTheVerticalResolution) {
  EXPECT_EQ(FontHeightForPoints(kButtonFontPoints, 96), -11);
  EXPECT_EQ(FontHeightForPoints(kButtonFontPoints, 120), -14);  // 13.75
  EXPECT_EQ(FontHeightForPoints(kButtonFontPoints, 144), -17);  // 16.5
}

}  // namespace
}  // namespace companion
