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

}  // namespace app
