#pragma once
// The arithmetic of system-wide hot keys on X11, free of any X connection:
// which keys and modifier bits a combination means, and which lock-key
// states it must be claimed under so that it works with Caps Lock, Num Lock
// or Scroll Lock on.

#include <cstdint>
#include <vector>

namespace platform {

// The core protocol's modifier bits.
inline constexpr std::uint16_t kShiftMask = 1 << 0;
inline constexpr std::uint16_t kLockMask = 1 << 1;
inline constexpr std::uint16_t kControlMask = 1 << 2;
inline constexpr std::uint16_t kMod1Mask = 1 << 3;
inline constexpr std::uint16_t kMod4Mask = 1 << 6;
inline constexpr std::uint16_t kAllModifiers = 0xFF;

// Keysyms the hot keys need.
inline constexpr std::uint32_t kKeysymPrint = 0xFF61;
inline constexpr std::uint32_t kKeysymNumLock = 0xFF7F;
inline constexpr std::uint32_t kKeysymScrollLock = 0xFF14;

// The keysym of a Windows virtual-key code (44, Print Screen, is XK_Print),
// or 0 for a code with no keysym here.
std::uint32_t KeysymForVirtualKey(std::int32_t vkey);

// Alt is Mod1, the Windows key Mod4.
std::uint16_t ModifierMask(bool alt, bool shift, bool ctrl, bool win);

// Every keycode whose keysyms include `keysym`, from a keyboard mapping of
// `keysymsPerKeycode` keysyms for each keycode from `minKeycode` on.
std::vector<std::uint8_t> KeycodesForKeysym(std::uint8_t minKeycode, int keysymsPerKeycode,
                                            const std::vector<std::uint32_t>& keysyms,
                                            std::uint32_t keysym);

// The modifier bits that any of `keycodes` sets, from a modifier mapping of
// eight rows (Shift, Lock, Control, Mod1..Mod5) of `keycodesPerModifier`
// keycodes each. 0 when none of them is a modifier.
std::uint16_t ModifierMaskOfKeycodes(const std::vector<std::uint8_t>& modifierMap,
                                     int keycodesPerModifier,
                                     const std::vector<std::uint8_t>& keycodes);

// Caps Lock plus whatever Num Lock and Scroll Lock are mapped to, minus the
// bits that the combination itself uses.
std::uint16_t IgnoredLockMask(std::uint16_t numLockMask, std::uint16_t scrollLockMask,
                              std::uint16_t combination);

// Every combination of the ignored lock bits (each subset once, the empty
// one first): the modifier states under which a combination is claimed.
std::vector<std::uint16_t> LockCombinations(std::uint16_t ignoredLocks);

// Whether a key event's modifier state is the combination, lock keys aside.
bool StateMatches(std::uint16_t state, std::uint16_t combination, std::uint16_t ignoredLocks);

}  // namespace platform
