#pragma once
// Which kind of desktop session the program runs in, decided once at
// start-up. In a Wayland session an X11 client only sees XWayland, whose
// screen reads back black and whose key grabs fire only over X11 windows,
// so the program then reads the screen and holds keys through the desktop
// portal instead. No Qt here: the command line asks too.

#include <string>

namespace platform {

enum class SessionKind { X11, Wayland };

// TESSARINE_SESSION=x11 or =wayland decides (for tests); otherwise a session
// is Wayland when WAYLAND_DISPLAY is set or when the X server is XWayland
// (its RandR outputs are named XWAYLAND0, XWAYLAND1, ...). `display` names
// the X server (null: $DISPLAY).
SessionKind DetectSession(const char* display = nullptr);

// Why TESSARINE_SESSION cannot be used, naming the values it takes; empty
// when it is unset, empty, x11 or wayland.
std::string SessionOverrideProblem();

}  // namespace platform
