#include "platform/x11/hot_key_masks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/x11/windows.h"

namespace {

using namespace platform;

TEST(HotKeyMasks, VirtualKeysAndModifiersMapToX) {
    EXPECT_EQ(KeysymForVirtualKey(44), kKeysymPrint);
    EXPECT_EQ(KeysymForVirtualKey('A'), static_cast<std::uint32_t>('a'));
    EXPECT_EQ(KeysymForVirtualKey(0x70), 0xFFBEu);  // F1
    EXPECT_EQ(KeysymForVirtualKey(0x07), 0u);       // undefined code

    EXPECT_EQ(ModifierMask(false, false, false, false), 0);
    EXPECT_EQ(ModifierMask(false, true, false, false), kShiftMask);
    EXPECT_EQ(ModifierMask(true, false, false, false), kMod1Mask);
    EXPECT_EQ(ModifierMask(false, false, true, false), kControlMask);
    EXPECT_EQ(ModifierMask(false, false, false, true), kMod4Mask);
    EXPECT_EQ(ModifierMask(true, true, true, false), kMod1Mask | kShiftMask | kControlMask);
}

TEST(HotKeyMasks, FindsEveryKeycodeThatProducesAKeysym) {
    // Keycodes 8..12, three keysyms each. Print sits on keycode 9 and, as
    // its second keysym, on keycode 12 (where Alt+SysRq gives it too).
    const std::vector<std::uint32_t> map = {
        'a',
        'A',
        0,  // 8
        kKeysymPrint,
        0,
        0,  // 9
        kKeysymNumLock,
        0,
        0,  // 10
        'b',
        'B',
        0,  // 11
        0xFF15,
        kKeysymPrint,
        0,             // 12: Sys_Req, Print
        kKeysymPrint,  // a torn row past the end counts for nothing
    };
    EXPECT_EQ(KeycodesForKeysym(8, 3, map, kKeysymPrint), (std::vector<std::uint8_t>{9, 12}));
    EXPECT_EQ(KeycodesForKeysym(8, 3, map, kKeysymNumLock), (std::vector<std::uint8_t>{10}));
    EXPECT_TRUE(KeycodesForKeysym(8, 3, map, kKeysymScrollLock).empty());
    EXPECT_TRUE(KeycodesForKeysym(8, 0, map, kKeysymPrint).empty());
    // NoSymbol is no key.
    EXPECT_TRUE(KeycodesForKeysym(8, 3, map, 0).empty());
}

TEST(HotKeyMasks, FindsTheModifierALockKeyIsMappedTo) {
    // Two keycodes per modifier: Shift, Lock, Control, Mod1..Mod5.
    const std::vector<std::uint8_t> modmap = {
        50,  62,   // Shift
        66,  0,    // Lock
        37,  105,  // Control
        64,  108,  // Mod1
        77,  0,    // Mod2: Num Lock
        0,   0,    // Mod3
        133, 134,  // Mod4
        78,  0,    // Mod5: Scroll Lock here
    };
    EXPECT_EQ(ModifierMaskOfKeycodes(modmap, 2, {77}), 1 << 4);
    EXPECT_EQ(ModifierMaskOfKeycodes(modmap, 2, {78}), 1 << 7);
    EXPECT_EQ(ModifierMaskOfKeycodes(modmap, 2, {200}), 0);
    EXPECT_EQ(ModifierMaskOfKeycodes(modmap, 2, {}), 0);
    // Empty slots (keycode 0) never match.
    EXPECT_EQ(ModifierMaskOfKeycodes(modmap, 2, {0}), 0);
}

TEST(HotKeyMasks, ClaimsUnderEveryCombinationOfTheLockKeys) {
    const std::uint16_t numLock = 1 << 4;
    const std::uint16_t scrollLock = 1 << 7;
    const std::uint16_t ignored = IgnoredLockMask(numLock, scrollLock, kShiftMask);
    EXPECT_EQ(ignored, kLockMask | numLock | scrollLock);

    const std::vector<std::uint16_t> all = LockCombinations(ignored);
    ASSERT_EQ(all.size(), 8u);
    EXPECT_EQ(all.front(), 0);
    EXPECT_EQ(std::set<std::uint16_t>(all.begin(), all.end()).size(), 8u);
    for (std::uint16_t mask : all) {
        EXPECT_EQ(mask & ~ignored, 0);
    }
    EXPECT_NE(std::find(all.begin(), all.end(), kLockMask | numLock | scrollLock), all.end());

    // No Num Lock or Scroll Lock on the keyboard: Caps Lock alone.
    EXPECT_EQ(LockCombinations(IgnoredLockMask(0, 0, 0)),
              (std::vector<std::uint16_t>{0, kLockMask}));
    // Num Lock mapped onto a bit the combination uses is not ignored.
    EXPECT_EQ(IgnoredLockMask(kMod4Mask, 0, kMod4Mask), kLockMask);
}

TEST(HotKeyMasks, MatchesPressesWhateverTheLocksAndButtons) {
    const std::uint16_t ignored = IgnoredLockMask(1 << 4, 0, kShiftMask);
    EXPECT_TRUE(StateMatches(kShiftMask, kShiftMask, ignored));
    EXPECT_TRUE(StateMatches(kShiftMask | kLockMask | (1 << 4), kShiftMask, ignored));
    EXPECT_TRUE(StateMatches(kShiftMask | 0x100, kShiftMask, ignored));  // Button1 held
    EXPECT_FALSE(StateMatches(0, kShiftMask, ignored));
    EXPECT_FALSE(StateMatches(kShiftMask | kControlMask, kShiftMask, ignored));
    EXPECT_TRUE(StateMatches(kLockMask, 0, IgnoredLockMask(0, 0, 0)));
}

TEST(WindowRect, TheOuterRectangleIncludesTheBorder) {
    const platform::RECT framed = OuterWindowRect(100, 120, 400, 330, 1);
    EXPECT_EQ(framed.left, 99);
    EXPECT_EQ(framed.top, 119);
    EXPECT_EQ(framed.right, 501);
    EXPECT_EQ(framed.bottom, 451);

    // A frame reaching past the screen's top-left keeps its full size.
    const platform::RECT off = OuterWindowRect(-30, -5, 200, 100, 0);
    EXPECT_EQ(off.right - off.left, 200);
    EXPECT_EQ(off.bottom - off.top, 100);
    EXPECT_EQ(off.left, -30);
}

}  // namespace
