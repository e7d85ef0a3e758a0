#include "platform/controls/size_limit.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "platform/controls/qt/control_impl.h"

namespace {

TEST(SizeLimit, SwitchingOnAndOffAppliesAndLiftsTheLimits) {
    QWidget window;
    controls::qt::Host host(&window);
    controls::SizeLimit limit;
    limit.setHwnd(&host);
    limit.minwidth = 300;
    limit.minheight = 200;
    limit.maxwidth = 800;
    limit.maxheight = 600;
    limit.setLimitSize(true);
    window.resize(100, 100);
    EXPECT_EQ(window.size(), QSize(300, 200));
    window.resize(2000, 2000);
    EXPECT_EQ(window.size(), QSize(800, 600));
    limit.setLimitSize(false);
    window.resize(100, 100);
    EXPECT_EQ(window.size(), QSize(100, 100));
}

TEST(SizeLimit, SwitchingOnNeverGrowsTheWindow) {
    // Before the frame is known, or with a frame smaller than the limits
    // allow for, the outer minimum exceeds the window's own start size.
    QWidget window;
    window.resize(604, 415);
    controls::qt::Host host(&window);
    controls::SizeLimit limit;
    limit.setHwnd(&host);
    limit.minwidth = 604;
    limit.minheight = 448;
    limit.setLimitSize(true);
    EXPECT_EQ(window.size(), QSize(604, 415));
    window.resize(100, 100);
    EXPECT_EQ(window.size(), QSize(604, 415));
}

}  // namespace
