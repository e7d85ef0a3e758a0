#include "capture/screen_grab.h"

namespace capture {

std::optional<ScreenGrab> GrabScreen(int x, int y, int width, int height, std::string& error) {
    ScreenGrab grab;
    grab.screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    grab.memory = CreateCompatibleDC(grab.screen);
    grab.bitmap = CreateCompatibleBitmap(grab.screen, width, height);
    const auto release = [&grab] {
        DeleteDC(grab.memory);
        DeleteObject(grab.bitmap);
        DeleteDC(grab.screen);
    };
    if (!grab.screen || !grab.memory || !grab.bitmap) {
        release();
        error = "there is no memory for a " + std::to_string(width) + " x " +
                std::to_string(height) + " capture";
        return std::nullopt;
    }
    SelectObject(grab.memory, grab.bitmap);
    if (!BitBlt(grab.memory, 0, 0, width, height, grab.screen, x, y, SRCCOPY)) {
        release();
        error = "the screen could not be read";
        return std::nullopt;
    }
    return grab;
}

}  // namespace capture
