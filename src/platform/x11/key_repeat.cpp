#include "platform/x11/key_repeat.h"

namespace platform {

bool KeyRepeatFilter::Press(std::uint8_t keycode, std::uint32_t time) {
    Key& key = keys_[keycode];
    const bool repeat = key.down || (key.released && key.releaseTime == time);
    key.down = true;
    return !repeat;
}

void KeyRepeatFilter::Release(std::uint8_t keycode, std::uint32_t time) {
    Key& key = keys_[keycode];
    key.down = false;
    key.released = true;
    key.releaseTime = time;
}

}  // namespace platform
