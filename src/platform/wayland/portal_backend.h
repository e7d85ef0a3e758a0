#pragma once
// The backend of a Wayland session: the screen from the desktop portal, the
// window in front from sway's IPC or KWin's scripting where those run (no
// other desktop tells), and system-wide keys through the portal's
// GlobalShortcuts, or on a GNOME desktop without it, through GNOME's custom
// key bindings.

#include <functional>
#include <memory>

#include "platform/backend.h"

namespace platform {

// `xScreenSize` gives the size of XWayland's screen (see PortalScreenSource).
std::shared_ptr<Backend> OpenPortalBackend(std::function<raster::Size()> xScreenSize);

}  // namespace platform
