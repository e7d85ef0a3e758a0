#pragma once
// How the frozen screen of a region capture maps onto the selection window
// that shows it. On an X11 screen the window covers the screen pixel for
// pixel. In a Wayland session the portal's screenshot is in device pixels,
// while X11 windows (under XWayland) measure the desktop in its logical
// pixels: at scale 2 one window pixel covers two by two screenshot pixels,
// and the window must span every output, not just the one it lands on.

namespace capture {

struct FrozenScale {
    double x = 1;
    double y = 1;
    bool isOne() const { return x == 1 && y == 1; }
};

// Screenshot pixels per selection-window pixel, each way, for a window of
// the given size over a frozen screen of screenWidth x screenHeight.
FrozenScale FrozenScreenScale(int windowWidth, int windowHeight, int screenWidth, int screenHeight);

}  // namespace capture
