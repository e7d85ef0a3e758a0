#pragma once
// The desktop portal is started by the bus on its first call, and a start
// can take long: xdg-desktop-portal starts every backend installed before it
// takes its name, and a backend that cannot reach its desktop holds it there
// for the bus's timeout (25 seconds). The start gets its own, longer bound,
// so that a request's bound measures the answer of a portal that runs.

#include "platform/wayland/portal_request.h"

namespace platform::portal {

// How long the portal may take to start.
inline constexpr int kStartTimeoutMs = 45000;

// Has the bus start the portal unless it runs, and waits up to
// kStartTimeoutMs for it in a local event loop (user input held back; the
// program's end still ends it). A start that takes more than a moment is
// said in a notice (platform/desktop_notice.h). Granted when the portal
// runs, or when there is no session bus (the request then says so).
Answer StartPortal();

}  // namespace platform::portal
