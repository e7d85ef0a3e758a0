#pragma once
// System-wide keys in a Wayland session, through the desktop portal's
// GlobalShortcuts interface. The claims of one run are bound together in
// one portal session, once the event loop runs: a desktop may ask the user
// to confirm them, and it has the last word on which keys they get.

#include <functional>
#include <string>

#include "platform/backend.h"

namespace platform {

// Binds `keys` in the portal's session. NoSuchKey for a key the portal has
// no name for; NotInSession when the desktop does not offer the interface;
// otherwise Claimed, with the desktop's choice to be read from the grab's
// desktopTrigger() once it has answered.
ClaimOutcome ClaimPortalShortcut(const KeyCombination& keys, std::function<void()> onPress);

// The trigger in the notation of the portal (the XDG shortcuts
// specification): "CTRL+ALT+SHIFT+Print"; empty for a key it has no name for.
std::string PortalTrigger(const KeyCombination& keys);

}  // namespace platform
