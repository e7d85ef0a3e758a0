#pragma once
// Stepping aside without moving anyone: sway gives a hidden tiled window's
// tile to its neighbours, so a screenshot taken then shows a layout the user
// never saw. A tiled window is made fully see-through in its tile instead
// (the desktop's background shows there), and given back its opacity after.

#include "platform/backend.h"

namespace platform::sway {

class SeeThrough {
  public:
    // True when the X window is tiled (neither floating nor full-screen) and
    // sway now draws nothing of it, title bar included.
    bool stepAside(platform::HWND xWindow);
    // Gives the window back the opacity it had; nothing when it was not
    // stepped aside.
    void stepBack(platform::HWND xWindow);

  private:
    platform::HWND window_ = 0;
    // How much opacity was taken, in the binary fractions sway took.
    double taken_ = 0;
};

}  // namespace platform::sway
