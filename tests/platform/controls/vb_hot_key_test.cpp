#include "platform/controls/vb_hot_key.h"

#include <gtest/gtest.h>

#include "platform/x11/hot_key_masks.h"
#include "support/fake_hot_keys.h"

namespace {

using platform::ClaimResult;
using platform::kKeysymPrint;

controls::VBHotKey* PrintKey(controls::VBHotKey& key, bool alt, bool shift, bool ctrl) {
    key.vkey = 44;
    key.altkey = alt;
    key.shiftkey = shift;
    key.ctrlkey = ctrl;
    return &key;
}

TEST(VBHotKey, WithoutAnXServerClaimingFailsQuietly) {
    // The unit tests run on Qt's offscreen platform: no X connection.
    controls::VBHotKey key;
    PrintKey(key, false, true, false);
    key.setHotKeyActive(true);
    EXPECT_FALSE(key.HotKeyActive());
    EXPECT_EQ(key.LastClaim(), ClaimResult::NoDisplay);
    key.setHotKeyActive(false);
    EXPECT_FALSE(key.HotKeyActive());
}

TEST(VBHotKey, ClaimsItsCombinationAndRaisesTheEventForEachPress) {
    testing_support::FakeHotKeys keys;
    controls::VBHotKey key;
    PrintKey(key, true, true, true);
    EXPECT_EQ(key.CombinationName(), "Ctrl+Alt+Shift+Print Screen");
    EXPECT_FALSE(key.LastClaim().has_value());

    int presses = 0;
    key.HotKeyPressed = [&presses] { ++presses; };
    key.setHotKeyActive(true);
    ASSERT_TRUE(key.HotKeyActive());
    EXPECT_EQ(key.LastClaim(), ClaimResult::Claimed);
    const std::uint16_t mods = platform::kControlMask | platform::kMod1Mask | platform::kShiftMask;
    ASSERT_EQ(keys.claims.size(), 1u);
    EXPECT_EQ(keys.claims[0], std::make_pair(kKeysymPrint, mods));

    // Switching on again claims nothing more.
    key.setHotKeyActive(true);
    EXPECT_EQ(keys.claims.size(), 1u);

    EXPECT_TRUE(keys.press(kKeysymPrint, mods));
    EXPECT_TRUE(keys.press(kKeysymPrint, mods));
    EXPECT_EQ(presses, 2);
    EXPECT_FALSE(keys.press(kKeysymPrint, platform::kShiftMask));

    key.setHotKeyActive(false);
    EXPECT_FALSE(key.HotKeyActive());
    EXPECT_EQ(keys.releases, (std::vector<std::uint16_t>{mods}));
    EXPECT_FALSE(keys.press(kKeysymPrint, mods));
    EXPECT_EQ(presses, 2);
}

TEST(VBHotKey, ACombinationHeldElsewhereLeavesTheKeyInactive) {
    testing_support::FakeHotKeys keys;
    keys.heldByAnother.insert({kKeysymPrint, platform::kShiftMask});
    controls::VBHotKey shifted;
    PrintKey(shifted, false, true, false);
    shifted.setHotKeyActive(true);
    EXPECT_FALSE(shifted.HotKeyActive());
    EXPECT_EQ(shifted.LastClaim(), ClaimResult::HeldByAnother);
    EXPECT_EQ(controls::ClaimFailureReason(ClaimResult::HeldByAnother), "another program holds it");

    // The plain key is free.
    controls::VBHotKey plain;
    PrintKey(plain, false, false, false);
    plain.setHotKeyActive(true);
    EXPECT_TRUE(plain.HotKeyActive());
    EXPECT_EQ(plain.CombinationName(), "Print Screen");
}

TEST(VBHotKey, DestroyingAnActiveKeyReleasesIt) {
    testing_support::FakeHotKeys keys;
    {
        controls::VBHotKey key;
        PrintKey(key, false, false, false);
        key.setHotKeyActive(true);
        ASSERT_TRUE(keys.holds(kKeysymPrint, 0));
    }
    EXPECT_FALSE(keys.holds(kKeysymPrint, 0));
}

TEST(VBHotKey, AKeyWithNoKeysymIsNotClaimed) {
    testing_support::FakeHotKeys keys;
    controls::VBHotKey key;
    key.vkey = 0x07;
    key.setHotKeyActive(true);
    EXPECT_FALSE(key.HotKeyActive());
    EXPECT_EQ(key.LastClaim(), ClaimResult::NoSuchKey);
    EXPECT_TRUE(keys.claims.empty());
}

}  // namespace
