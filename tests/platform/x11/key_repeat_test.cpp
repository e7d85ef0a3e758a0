#include "platform/x11/key_repeat.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyRepeatFilter, AHeldKeyIsOnePressWhicheverWayTheServerRepeatsIt) {
    platform::KeyRepeatFilter keys;
    // Core auto-repeat: release and press pairs that share their timestamp.
    EXPECT_TRUE(keys.Press(107, 1000));
    keys.Release(107, 1500);
    EXPECT_FALSE(keys.Press(107, 1500));
    keys.Release(107, 1533);
    EXPECT_FALSE(keys.Press(107, 1533));
    keys.Release(107, 1600);
    // Detectable auto-repeat: presses with no release between them.
    EXPECT_TRUE(keys.Press(107, 2000));
    EXPECT_FALSE(keys.Press(107, 2500));
    EXPECT_FALSE(keys.Press(107, 2533));
    keys.Release(107, 2600);
    // Pressed again after letting go: a new press, however soon.
    EXPECT_TRUE(keys.Press(107, 2601));
}

}  // namespace
