#include "platform/controls/hot_key_handover.h"

namespace controls {

// The program holds its keys itself (RegisterHotKey): no desktop binds them
// to a command.
std::shared_ptr<void> ListenForHandedOverPresses(const platform::KeyCombination&,
                                                 std::function<void()>) {
    return nullptr;
}

}  // namespace controls
