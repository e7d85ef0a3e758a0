#include "base/rounding.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(base::RoundHalfEven(0.5), 0.0);
    EXPECT_EQ(base::RoundHalfEven(1.5), 2.0);
    EXPECT_EQ(base::RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(base::RoundHalfEven(-0.5), 0.0);
    EXPECT_EQ(base::RoundHalfEven(-1.5), -2.0);
    EXPECT_EQ(base::RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(base::RoundHalfEven(182.857), 183.0);
    EXPECT_EQ(base::RoundHalfEven(2.4999), 2.0);
    EXPECT_EQ(base::RoundHalfEven(-2.5001), -3.0);
}

TEST(Rounding, ConversionsCheckTheTargetRange) {
    EXPECT_EQ(base::ToInt16(32767.4), 32767);
    EXPECT_EQ(base::ToInt16(32767.5), std::nullopt);  // rounds to 32768
    EXPECT_EQ(base::ToInt16(-32768.5), -32768);       // halves to even
    EXPECT_EQ(base::ToInt16(-32769.0), std::nullopt);
    EXPECT_EQ(base::ToInt32(2147483647.0), 2147483647);
    EXPECT_EQ(base::ToInt32(2147483647.5), std::nullopt);
    EXPECT_EQ(base::ToInt32(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(base::ToInt32(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(base::ToInt32OrZero(1e12), 0);
}

}  // namespace
