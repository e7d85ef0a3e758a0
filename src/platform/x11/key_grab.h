#pragma once
// Holding a key combination system-wide: a passive grab on the root window
// through the toolkit's own X connection, so that presses arrive on the
// user-interface thread while any program is in front.

#include <cstdint>
#include <functional>

#include "platform/backend.h"

namespace platform {

// A combination held on the root window follows the keyboard: when the keys
// or the lock modifiers are mapped anew, it lets go of its grabs and claims
// the combination again on the keys that now produce its keysym.
//
// Claims on `root` (the root window of the display the toolkit connected
// to) every key that produces `keysym`, with exactly the modifier bits
// `modifiers` held, whatever the state of Caps Lock, Num Lock and Scroll
// Lock. `onPress` runs on the user-interface thread, from the event loop,
// once for every press while the grab lives; a held key is one press, its
// auto-repeat is ignored. Either all of the combination's grabs are taken or
// none.
ClaimOutcome ClaimKeyCombination(std::uint32_t root, std::uint32_t keysym, std::uint16_t modifiers,
                                 std::function<void()> onPress);

}  // namespace platform
