#pragma once
// Telling the presses a user makes from those the keyboard's auto-repeat
// makes while a key is held, from the key events alone. The server repeats a
// held key either as release and press pairs with one timestamp, or (for a
// client that asked for detectable auto-repeat) as presses with no release
// between them; both are repeats here.

#include <array>
#include <cstdint>

namespace platform {

class KeyRepeatFilter {
  public:
    // Records a press of `keycode` at server time `time`; true when the key
    // went down, false when the press only repeats a held key.
    bool Press(std::uint8_t keycode, std::uint32_t time);
    void Release(std::uint8_t keycode, std::uint32_t time);

  private:
    struct Key {
        bool down = false;
        bool released = false;
        std::uint32_t releaseTime = 0;
    };
    std::array<Key, 256> keys_{};
};

}  // namespace platform
