#pragma once
// The backend of a Wayland session: the screen from the desktop portal, the
// window in front from sway's IPC where sway runs (no other desktop tells),
// and system-wide keys through the portal's GlobalShortcuts.

#include <memory>

#include "platform/backend.h"

namespace platform {

std::shared_ptr<Backend> OpenPortalBackend();

}  // namespace platform
