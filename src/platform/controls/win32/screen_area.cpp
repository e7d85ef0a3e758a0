#include "platform/controls/screen_area.h"

namespace controls {

// The program is aware of each monitor's resolution (per-monitor v2), so
// windows are placed in device pixels on every monitor: one window covers
// the whole virtual screen whatever the monitors' scales. Areas are in the
// screen picture's pixels, whose origin is the virtual screen's top left.
std::vector<ScreenArea> AreasCoveringScreen(int screenWidth, int screenHeight) {
    return {{ScreenArea::Kind::Screen, 0, 0, screenWidth, screenHeight}};
}

}  // namespace controls
