#pragma once
// Holding a key combination system-wide: a passive grab on the root window
// through the toolkit's own X connection, so that presses arrive on the
// user-interface thread while any program is in front.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

enum class ClaimResult {
    Claimed,
    HeldByAnother,  // another client holds the combination
    NoDisplay,      // the toolkit does not run on X11 (its offscreen platform, say)
    NoSuchKey,      // no key on the keyboard produces the keysym
    Refused,        // the X server refused the grab for another reason
    NotInSession,   // a Wayland desktop that lets no program hold keys
};

// A combination held on the root window; destroying it releases it. It
// follows the keyboard: when the keys or the lock modifiers are mapped anew,
// it lets go of its grabs and claims the combination again on the keys that
// now produce its keysym.
class KeyGrab {
  public:
    virtual ~KeyGrab() = default;
    // The outcome of the latest claim: the first, or the one made again
    // after the keyboard changed. Anything but Claimed means nothing is held.
    virtual ClaimResult State() const = 0;
    // Where the desktop chooses the keys itself (the portal of a Wayland
    // session), what it bound: "Print", or "" while it has not (yet).
    // Empty for a grab of exactly the combination asked for.
    virtual std::optional<std::string> desktopTrigger() const { return std::nullopt; }
};

struct ClaimOutcome {
    ClaimResult result = ClaimResult::NoDisplay;
    std::unique_ptr<KeyGrab> grab;  // set when result is Claimed
};

// Claims every key that produces `keysym`, with exactly the modifier bits
// `modifiers` held, whatever the state of Caps Lock, Num Lock and Scroll
// Lock. `onPress` runs on the user-interface thread, from the event loop,
// once for every press while the grab lives; a held key is one press, its
// auto-repeat is ignored. Either all of the combination's grabs are taken or
// none.
ClaimOutcome ClaimKeyCombination(std::uint32_t keysym, std::uint16_t modifiers,
                                 std::function<void()> onPress);

}  // namespace platform
