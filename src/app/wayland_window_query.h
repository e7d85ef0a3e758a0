#pragma once
// The window query of a Wayland session: sway says which window has the
// focus; other Wayland desktops tell programs nothing of their windows.

namespace app {

void UseWaylandWindowQuery();

}  // namespace app
