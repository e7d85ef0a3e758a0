#include "platform/controls/hot_key_handover.h"

#include "platform/wayland/hot_key_bus.h"

namespace controls {

std::shared_ptr<void> ListenForHandedOverPresses(const platform::KeyCombination& keys,
                                                 std::function<void()> onPress) {
    return platform::ListenForHotKeyCommand(keys, std::move(onPress));
}

}  // namespace controls
