// The companion window's layout in twips (1/1440 inch) and its conversion to
// pixels at the display's dots per inch.
#pragma once

namespace companion {

inline constexpr char kFormCaption[] = "ZELTA TROPHY ";  // the blank belongs to it

// A rectangle in twips or in pixels.
struct FormRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct RgbColour {
  unsigned char red, green, blue;
};

// One graphical push button.
struct ButtonLayout {
  int id;                // control id, also the tab order
  const char* caption;
  FormRect twips;
};

inline constexpr RgbColour kFormBackground{192, 192, 192};
inline constexpr RgbColour kButtonBackground{224, 224, 224};

// The client area's size and where it sits on the screen, in twips.
inline constexpr FormRect kFormClientTwips{450, 3105, 2490, 600};

// Control ids stay clear of IDOK and IDCANCEL, which dialog keys produce.
inline constexpr int kCwButtonId = 101;
inline constexpr int kSsbButtonId = 103;

// In tab order: CW first, then SSB.
inline constexpr ButtonLayout kFormButtons[] = {
    {kCwButtonId, "CW", {360, 120, 732, 372}},
    {kSsbButtonId, "SSB", {1440, 120, 732, 372}},
};

// The buttons' font: Verdana, 8.25 points, bold, Cyrillic character set.
inline constexpr char kButtonFontFace[] = "Verdana";
inline constexpr double kButtonFontPoints = 8.25;
inline constexpr int kButtonFontCharset = 204;

// TwipsToPixels()
// `twips` at `dotsPerInch`, rounded to the nearest pixel (15 twips are one pixel at 96).
int TwipsToPixels(int twips, int dotsPerInch);

// PixelRect()
// A twips rectangle in pixels, the horizontal values at `dpiX`, the vertical at `dpiY`.
FormRect PixelRect(const FormRect& twips, int dpiX, int dpiY);

// FontHeightForPoints()
// The (negative, character-height) font height in pixels for `points` at `dpiY`.
int FontHeightForPoints(double points, int dpiY);

}  // namespace companion
