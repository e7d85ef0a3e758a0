#pragma once
// An offscreen main window over a fake screen, with the program state reset
// before and everything released after each test.

#include <gtest/gtest.h>

#include <memory>

#include "platform/raster/handle_release.h"
#include "platform/raster/raster.h"
#include "program/variables.h"
#include "support/fake_screen.h"
#include "ui/main/form1.h"

namespace testing_support {

class Form1Test : public ::testing::Test {
  protected:
    static constexpr int kScreenWidth = 1024;
    static constexpr int kScreenHeight = 768;

    void SetUp() override {
        variables::Reset();
        baseline_ = raster::LiveHandleCount();
        form_ = std::make_unique<Form1>();
        form_->Form_Load();
    }

    void TearDown() override {
        raster::DeleteDC(variables::CaptureDC);
        raster::DeleteObject(variables::CaptureBitmap);
        raster::DeleteDC(variables::SelectionScreenDC);
        raster::DeleteDC(form_->ScreenDC);
        form_.reset();
        raster::ReleaseRetired();
        variables::Reset();
        EXPECT_EQ(raster::LiveHandleCount(), baseline_) << "handles leaked";
    }

    // The capture buffer's pixel (x, y).
    static std::uint32_t CapturePixel(int x, int y) {
        return raster::ContextPixels(variables::CaptureDC)->row(y)[x];
    }

    std::uint32_t PanePixel(int x, int y) const;

    ScopedFakeScreen screen_{kScreenWidth, kScreenHeight};
    std::unique_ptr<Form1> form_;
    std::size_t baseline_ = 0;
};

}  // namespace testing_support
