#pragma once
// System-wide keys in a Wayland session, through the desktop portal's
// GlobalShortcuts interface. The claims of one run are bound together in
// one portal session, once the event loop runs: a desktop may ask the user
// to confirm them, and it has the last word on which keys they get.

#include <cstdint>
#include <functional>

#include "platform/x11/key_grab.h"

namespace platform {

// A Claimer for VBHotKey. NotInSession when the desktop does not offer the
// interface; otherwise Claimed, with the desktop's choice to be read from
// the grab's desktopTrigger() once it has answered.
ClaimOutcome ClaimPortalShortcut(std::uint32_t keysym, std::uint16_t modifiers,
                                 std::function<void()> onPress);

// The trigger in the notation of the portal (the XDG shortcuts
// specification): "CTRL+ALT+SHIFT+Print".
std::string PortalTrigger(std::uint32_t keysym, std::uint16_t modifiers);

}  // namespace platform
