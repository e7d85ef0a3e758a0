#pragma once
// The backend of an X11 session: the screen reader, the window queries and
// the key grabs, all on the process's one X connection.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/backend.h"
#include "platform/x11/x11_screen_reader.h"

namespace platform {

// How keys are held on the root window `root`. Key grabs need the
// toolkit's event loop; without one (the command line) there is none.
using X11KeyClaimer = ClaimOutcome (*)(std::uint32_t root, const KeyCombination& keys,
                                       std::function<void()> onPress);

// Opens the backend on `display` (null: $DISPLAY). On failure returns null
// and says why in `error`; `unreachable`, when given, tells whether the
// display itself could not be reached (rather than its screen read).
std::shared_ptr<Backend> OpenX11Backend(const char* display, X11ScreenReader::Transfer transfer,
                                        X11KeyClaimer claimKeys, std::string& error,
                                        bool* unreachable = nullptr);

// The X11KeyClaimer of the window program: passive grabs through the
// toolkit's connection (key_grab.h). NoSuchKey for a key with no keysym.
ClaimOutcome GrabKeys(std::uint32_t root, const KeyCombination& keys,
                      std::function<void()> onPress);

}  // namespace platform
