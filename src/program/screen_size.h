#pragma once
// The screen's size as the capture paths compute it: its size in twips
// divided by 15. Twips here are always device pixels times 15, so the result
// is the screen's exact pixel size at any density.

namespace app {

inline constexpr int kTwipsPerPixel = 15;

double ScreenWidthTwips();
double ScreenHeightTwips();
// Single-precision quotients, as the handlers keep them.
float ScreenPixelWidth();
float ScreenPixelHeight();

// Both from one look at the screen (each of the above asks the X server).
struct ScreenPixels {
    float width;
    float height;
};
ScreenPixels ScreenPixelSize();

}  // namespace app
