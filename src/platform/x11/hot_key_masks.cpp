#include "platform/x11/hot_key_masks.h"

#include <algorithm>

namespace platform {

std::uint32_t KeysymForVirtualKey(std::int32_t vkey) {
    if (vkey >= 'A' && vkey <= 'Z') {
        return static_cast<std::uint32_t>(vkey - 'A' + 'a');
    }
    if (vkey >= '0' && vkey <= '9') {
        return static_cast<std::uint32_t>(vkey);
    }
    if (vkey >= 0x70 && vkey <= 0x87) {  // F1..F24
        return 0xFFBE + static_cast<std::uint32_t>(vkey - 0x70);
    }
    switch (vkey) {
        case 0x08:
            return 0xFF08;  // Backspace
        case 0x09:
            return 0xFF09;  // Tab
        case 0x0D:
            return 0xFF0D;  // Return
        case 0x13:
            return 0xFF13;  // Pause
        case 0x1B:
            return 0xFF1B;  // Escape
        case 0x20:
            return 0x0020;  // Space
        case 0x21:
            return 0xFF55;  // Page Up
        case 0x22:
            return 0xFF56;  // Page Down
        case 0x23:
            return 0xFF57;  // End
        case 0x24:
            return 0xFF50;  // Home
        case 0x25:
            return 0xFF51;  // Left
        case 0x26:
            return 0xFF52;  // Up
        case 0x27:
            return 0xFF53;  // Right
        case 0x28:
            return 0xFF54;  // Down
        case 0x2C:
            return kKeysymPrint;
        case 0x2D:
            return 0xFF63;  // Insert
        case 0x2E:
            return 0xFFFF;  // Delete
        case 0x91:
            return kKeysymScrollLock;
        default:
            return 0;
    }
}

std::uint16_t ModifierMask(bool alt, bool shift, bool ctrl, bool win) {
    std::uint16_t mask = 0;
    if (alt) {
        mask |= kMod1Mask;
    }
    if (shift) {
        mask |= kShiftMask;
    }
    if (ctrl) {
        mask |= kControlMask;
    }
    if (win) {
        mask |= kMod4Mask;
    }
    return mask;
}

std::vector<std::uint8_t> KeycodesForKeysym(std::uint8_t minKeycode, int keysymsPerKeycode,
                                            const std::vector<std::uint32_t>& keysyms,
                                            std::uint32_t keysym) {
    std::vector<std::uint8_t> keycodes;
    if (keysymsPerKeycode <= 0 || keysym == 0) {
        return keycodes;
    }
    const std::size_t per = static_cast<std::size_t>(keysymsPerKeycode);
    for (std::size_t row = 0; (row + 1) * per <= keysyms.size(); ++row) {
        const auto first = keysyms.begin() + static_cast<std::ptrdiff_t>(row * per);
        const std::size_t keycode = minKeycode + row;
        if (keycode > 255) {
            break;
        }
        if (std::find(first, first + static_cast<std::ptrdiff_t>(per), keysym) !=
            first + static_cast<std::ptrdiff_t>(per)) {
            keycodes.push_back(static_cast<std::uint8_t>(keycode));
        }
    }
    return keycodes;
}

std::uint16_t ModifierMaskOfKeycodes(const std::vector<std::uint8_t>& modifierMap,
                                     int keycodesPerModifier,
                                     const std::vector<std::uint8_t>& keycodes) {
    std::uint16_t mask = 0;
    if (keycodesPerModifier <= 0) {
        return mask;
    }
    const std::size_t per = static_cast<std::size_t>(keycodesPerModifier);
    for (std::size_t modifier = 0; modifier < 8 && (modifier + 1) * per <= modifierMap.size();
         ++modifier) {
        for (std::size_t i = 0; i < per; ++i) {
            const std::uint8_t keycode = modifierMap[modifier * per + i];
            if (keycode != 0 &&
                std::find(keycodes.begin(), keycodes.end(), keycode) != keycodes.end()) {
                mask |= static_cast<std::uint16_t>(1u << modifier);
            }
        }
    }
    return mask;
}

std::uint16_t IgnoredLockMask(std::uint16_t numLockMask, std::uint16_t scrollLockMask,
                              std::uint16_t combination) {
    return static_cast<std::uint16_t>((kLockMask | numLockMask | scrollLockMask) & kAllModifiers &
                                      ~combination);
}

std::vector<std::uint16_t> LockCombinations(std::uint16_t ignoredLocks) {
    std::vector<std::uint16_t> bits;
    for (int bit = 0; bit < 8; ++bit) {
        if (ignoredLocks & (1u << bit)) {
            bits.push_back(static_cast<std::uint16_t>(1u << bit));
        }
    }
    std::vector<std::uint16_t> combinations;
    for (std::uint32_t subset = 0; subset < (1u << bits.size()); ++subset) {
        std::uint16_t mask = 0;
        for (std::size_t i = 0; i < bits.size(); ++i) {
            if (subset & (1u << i)) {
                mask |= bits[i];
            }
        }
        combinations.push_back(mask);
    }
    return combinations;
}

bool StateMatches(std::uint16_t state, std::uint16_t combination, std::uint16_t ignoredLocks) {
    return (state & kAllModifiers & ~ignoredLocks) == combination;
}

}  // namespace platform
