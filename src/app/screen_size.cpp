#include "app/screen_size.h"

#include "platform/raster/raster.h"

namespace app {
namespace {

raster::Size ScreenSize() {
    const auto source = raster::CurrentScreenSource();
    return source ? source->size() : raster::Size{};
}

}  // namespace

double ScreenWidthTwips() {
    return static_cast<double>(ScreenSize().width) * kTwipsPerPixel;
}
double ScreenHeightTwips() {
    return static_cast<double>(ScreenSize().height) * kTwipsPerPixel;
}
float ScreenPixelWidth() {
    return static_cast<float>(ScreenWidthTwips() / kTwipsPerPixel);
}
float ScreenPixelHeight() {
    return static_cast<float>(ScreenHeightTwips() / kTwipsPerPixel);
}

ScreenPixels ScreenPixelSize() {
    const raster::Size size = ScreenSize();
    const double width = static_cast<double>(size.width) * kTwipsPerPixel;
    const double height = static_cast<double>(size.height) * kTwipsPerPixel;
    return {static_cast<float>(width / kTwipsPerPixel),
            static_cast<float>(height / kTwipsPerPixel)};
}

}  // namespace app
