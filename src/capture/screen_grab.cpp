#include "capture/screen_grab.h"

#include "platform/raster/raster.h"

namespace capture {
namespace {

std::optional<ScreenGrab> Allocate(int width, int height, std::string& error) {
    ScreenGrab grab;
    grab.screen = raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    grab.memory = raster::CreateCompatibleDC(grab.screen);
    grab.bitmap = raster::CreateCompatibleBitmap(grab.screen, width, height);
    if (!grab.screen || !grab.memory || !grab.bitmap) {
        ReleaseGrab(grab);
        error = "there is no memory for a " + std::to_string(width) + " x " +
                std::to_string(height) + " capture";
        return std::nullopt;
    }
    raster::SelectObject(grab.memory, grab.bitmap);
    return grab;
}

}  // namespace

void ReleaseGrab(const ScreenGrab& grab) {
    raster::DeleteDC(grab.memory);
    raster::DeleteObject(grab.bitmap);
    raster::DeleteDC(grab.screen);
}

std::optional<ScreenGrab> PrepareGrab(int width, int height, std::string& error) {
    std::optional<ScreenGrab> grab = Allocate(width, height, error);
    if (grab) {
        raster::TouchBitmap(grab->bitmap);
        if (const auto screen = raster::CurrentScreenSource()) {
            screen->prepareRead(width, height);
        }
    }
    return grab;
}

bool ReadScreenInto(const ScreenGrab& grab, int x, int y, int width, int height,
                    std::string& error) {
    if (!raster::BitBlt(grab.memory, 0, 0, width, height, grab.screen, x, y, raster::SRCCOPY)) {
        ReleaseGrab(grab);
        error = "the screen could not be read";
        return false;
    }
    return true;
}

std::optional<ScreenGrab> GrabScreen(int x, int y, int width, int height, std::string& error) {
    std::optional<ScreenGrab> grab = Allocate(width, height, error);
    if (grab && !ReadScreenInto(*grab, x, y, width, height, error)) {
        return std::nullopt;
    }
    return grab;
}

}  // namespace capture
