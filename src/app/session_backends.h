#pragma once
// The backends of the session the program runs in, chosen once at start-up:
// where display contexts read the screen, where the window capture asks for
// the window in front, and how hot keys are held.

#include <memory>
#include <string>

#include "platform/raster/raster.h"
#include "platform/wayland/session_kind.h"

namespace app {

// The kind of session, detected on first use and kept for the run.
platform::SessionKind Session();

// Opens the screen source of the session, sets the window query and the
// hot-key claimer to match, and returns the source; null with the reason in
// `error` when the screen cannot be reached at all, and `unreachable` set
// when the display itself could not be.
std::shared_ptr<raster::ScreenSource> OpenSessionBackends(std::string& error, bool& unreachable);

}  // namespace app
