#pragma once
// The backend of the session the window program runs in.

#include <memory>
#include <string>

#include "platform/backend.h"
#include "platform/session_kind.h"

namespace platform {

// Opens the backend of a `session` session on `display` (null: $DISPLAY).
// Null with the reason in `error` when the screen cannot be reached at
// all, and `unreachable` set when the display itself could not be.
std::shared_ptr<Backend> OpenBackend(SessionKind session, const char* display, std::string& error,
                                     bool& unreachable);

}  // namespace platform
