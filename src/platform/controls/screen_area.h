#pragma once
// The parts of the screen that windows covering all of it for a moment (the
// selection of a region capture) must lie over, in screen pixels.

#include <vector>

namespace controls {

struct ScreenArea {
    enum class Kind {
        // The whole screen, measured in the units of the monitor at its
        // origin.
        Screen,
        // The whole desktop of a compositor that shows it scaled: its
        // windows measure it in its own pixels.
        Desktop,
        // One monitor of several whose scale factors differ, measured in
        // its own units; a window covers each of them.
        Monitor,
    };
    Kind kind = Kind::Screen;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// What covers a screen of screenWidth x screenHeight pixels: one area, or
// one per monitor where their scale factors differ (the first at the
// screen's origin side, in the window system's order).
std::vector<ScreenArea> AreasCoveringScreen(int screenWidth, int screenHeight);

}  // namespace controls
