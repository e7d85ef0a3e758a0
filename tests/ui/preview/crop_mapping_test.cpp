#include "ui/preview/crop_mapping.h"

#include <gtest/gtest.h>

#include "base/rounding.h"

namespace {

using preview::Band;
using preview::CropRefusal;

TEST(CropMapping, StretchedBandScalesByCaptureOverPane) {
    // 1024 x 768 shown in a 480 x 378 pane.
    const auto m = preview::MapStretched(Band{120, 90, 240, 189}, 480, 378, 1024, 768);
    ASSERT_FALSE(m.refused());
    EXPECT_DOUBLE_EQ(m.source->x, 256.0);
    EXPECT_NEAR(m.source->y, 182.857, 0.001);
    EXPECT_EQ(base::ToInt32OrZero(m.source->y), 183);
    EXPECT_EQ(m.source->width, 512);
    EXPECT_EQ(m.source->height, 384);

    // A band over the whole pane keeps the whole capture.
    const auto all = preview::MapStretched(Band{0, 0, 480, 378}, 480, 378, 1024, 768);
    EXPECT_EQ(all.source->width, 1024);
    EXPECT_EQ(all.source->height, 768);
}

TEST(CropMapping, ActualSizeKeepsPanePixelsFromThePressPoint) {
    const auto m = preview::MapActualSize(Band{120.4f, 89.6f, 240, 189}, 120, 90);
    ASSERT_FALSE(m.refused());
    EXPECT_EQ(m.source->x, 120.0);
    EXPECT_EQ(m.source->y, 90.0);
    EXPECT_EQ(m.source->width, 240);
    EXPECT_EQ(m.source->height, 189);
}

TEST(CropMapping, BandPastThePaneReachesPastTheCapture) {
    // Dragged beyond the pane's lower right: the source runs off the image.
    const auto m = preview::MapStretched(Band{400, 300, 160, 156}, 480, 378, 1024, 768);
    ASSERT_FALSE(m.refused());
    EXPECT_NEAR(m.source->x, 853.333, 0.001);
    EXPECT_EQ(m.source->width, 341);   // 160 * 1024 / 480 = 341.33
    EXPECT_EQ(m.source->height, 317);  // 156 * 768 / 378 = 316.95
    EXPECT_GT(m.source->x + m.source->width, 1024.0);

    const auto actual = preview::MapActualSize(Band{10, 10, 900, 700}, 10, 10);
    EXPECT_EQ(actual.source->width, 900);
    EXPECT_EQ(actual.source->height, 700);
}

TEST(CropMapping, EveryConversionRoundsHalvesToEven) {
    // Band values are rounded first: 0.5 -> 0, 2.5 -> 2, 3.5 -> 4.
    auto m = preview::MapStretched(Band{0.5, 2.5, 3.5, 2.5}, 2, 2, 2, 2);
    EXPECT_EQ(m.source->x, 0.0);
    EXPECT_EQ(m.source->y, 2.0);
    EXPECT_EQ(m.source->width, 4);
    EXPECT_EQ(m.source->height, 2);
    // Quotients: 1 * 5 / 2 = 2.5 -> 2 and 3 * 5 / 2 = 7.5 -> 8.
    m = preview::MapStretched(Band{1, 3, 1, 3}, 2, 2, 5, 5);
    EXPECT_EQ(m.source->width, 2);
    EXPECT_EQ(m.source->height, 8);
    EXPECT_EQ(base::ToInt32OrZero(m.source->x), 2);
    EXPECT_EQ(base::ToInt32OrZero(m.source->y), 8);
    // Actual size: 2.5 x 1.5 -> 2 x 2.
    m = preview::MapActualSize(Band{0, 0, 2.5, 1.5}, 0, 0);
    EXPECT_EQ(m.source->width, 2);
    EXPECT_EQ(m.source->height, 2);
}

TEST(CropMapping, ABandWithoutAreaMapsToAnEmptyCrop) {
    EXPECT_TRUE(preview::MapActualSize(Band{5, 5, 0, 0}, 5, 5).empty());
    EXPECT_TRUE(preview::MapActualSize(Band{5, 5, 30, 0.4}, 5, 5).empty());
    // A one-pixel band on a capture smaller than the pane rounds to nothing.
    EXPECT_TRUE(preview::MapStretched(Band{5, 5, 1, 1}, 480, 378, 100, 100).empty());
    EXPECT_FALSE(preview::MapStretched(Band{5, 5, 10, 10}, 480, 378, 100, 100).empty());
}

TEST(CropMapping, RefusesWhatDoesNotFit) {
    // 16-bit range of the new size.
    auto m = preview::MapActualSize(Band{0, 0, 32767.4, 10}, 0, 0);
    EXPECT_FALSE(m.refused());
    m = preview::MapActualSize(Band{0, 0, 32767.6, 10}, 0, 0);
    ASSERT_TRUE(m.refused());
    EXPECT_EQ(m.refusal, CropRefusal::TooLarge);
    m = preview::MapStretched(Band{0, 0, 600, 10}, 473, 369, 30000, 100);
    ASSERT_TRUE(m.refused());
    EXPECT_EQ(m.refusal, CropRefusal::TooLarge);

    // 32-bit products: 80000 * 30000 does not fit, 70000 * 30000 does.
    m = preview::MapStretched(Band{80000, 0, 1, 1}, 473, 369, 30000, 100);
    ASSERT_TRUE(m.refused());
    EXPECT_EQ(m.refusal, CropRefusal::Overflow);
    EXPECT_FALSE(preview::MapStretched(Band{70000, 0, 1, 1}, 473, 369, 30000, 100).refused());
    m = preview::MapStretched(Band{0, -80000, 1, 1}, 473, 369, 100, 30000);
    EXPECT_EQ(m.refusal, CropRefusal::Overflow);
    // Band values beyond any 32-bit coordinate.
    m = preview::MapStretched(Band{3e9, 0, 1, 1}, 473, 369, 1, 1);
    EXPECT_EQ(m.refusal, CropRefusal::Overflow);

    // A pane without area.
    m = preview::MapStretched(Band{0, 0, 1, 1}, 0.4, 369, 100, 100);
    ASSERT_TRUE(m.refused());
    EXPECT_EQ(m.refusal, CropRefusal::EmptyPane);
}

}  // namespace
