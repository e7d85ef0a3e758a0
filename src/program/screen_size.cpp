#include "program/screen_size.h"

#include "platform/raster/raster.h"

namespace app {
namespace {

raster::Size ScreenSize() {
    const auto source = raster::CurrentScreenSource();
    return source ? source->size() : raster::Size{};
}

double Twips(int pixels) {
    return static_cast<double>(pixels) * kTwipsPerPixel;
}

float Pixels(double twips) {
    return static_cast<float>(twips / kTwipsPerPixel);
}

}  // namespace

double ScreenWidthTwips() {
    return Twips(ScreenSize().width);
}
double ScreenHeightTwips() {
    return Twips(ScreenSize().height);
}
float ScreenPixelWidth() {
    return Pixels(ScreenWidthTwips());
}
float ScreenPixelHeight() {
    return Pixels(ScreenHeightTwips());
}

ScreenPixels ScreenPixelSize() {
    const raster::Size size = ScreenSize();
    return {Pixels(Twips(size.width)), Pixels(Twips(size.height))};
}

}  // namespace app
