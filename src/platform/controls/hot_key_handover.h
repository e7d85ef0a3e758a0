#pragma once
// Hot-key presses handed over to the window program by a command that a
// desktop's own key binding runs (`tessarine --hot-key NAME`), where the
// desktop holds the keys instead of the program.

#include <functional>
#include <memory>

#include "platform/backend.h"

namespace controls {

// While the returned object lives, a press handed over for `keys` runs
// `onPress` from the event loop. Null where presses are not handed over.
std::shared_ptr<void> ListenForHandedOverPresses(const platform::KeyCombination& keys,
                                                 std::function<void()> onPress);

}  // namespace controls
