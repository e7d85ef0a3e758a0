#include <QRadioButton>

#include "platform/controls/picture_box.h"
#include "support/form1_fixture.h"

namespace {

using testing_support::FakeScreen;
using FullScreenCapture = testing_support::Form1Test;

TEST_F(FullScreenCapture, FillsTheBufferWithTheScreenAndForgetsTheSaveName) {
    variables::SaveNameKnown = true;
    variables::SaveFileName = "/tmp/kept.bmp";
    variables::CropArmed = true;
    form_->mnuScreen_Click();
    EXPECT_EQ(variables::CaptureWidth, kScreenWidth);
    EXPECT_EQ(variables::CaptureHeight, kScreenHeight);
    EXPECT_FALSE(variables::SaveNameKnown);
    EXPECT_EQ(variables::SaveFileName, "/tmp/kept.bmp");
    EXPECT_TRUE(variables::CropArmed);
    EXPECT_NE(form_->ScreenDC, 0u);
    EXPECT_EQ(CapturePixel(0, 0), FakeScreen::PatternAt(0, 0));
    EXPECT_EQ(CapturePixel(1023, 767), FakeScreen::PatternAt(1023, 767));
    EXPECT_TRUE(form_->isVisible());
}

TEST_F(FullScreenCapture, PreviewShowsTheCaptureInEitherStyle) {
    form_->opActual->setChecked(true);
    form_->mnuScreen_Click();
    EXPECT_EQ(PanePixel(7, 9), FakeScreen::PatternAt(7, 9));
    const int paneWidth = form_->picpreview->ScaleWidth();
    EXPECT_EQ(PanePixel(paneWidth - 1, 0), FakeScreen::PatternAt(paneWidth - 1, 0));

    // Stretched: a screen of one colour stays that colour in the pane.
    screen_->fill(0x00FF00);
    form_->opStretch->setChecked(true);
    form_->mnuScreen_Click();
    EXPECT_EQ(PanePixel(0, 0), 0x00FF00u);
    EXPECT_EQ(PanePixel(form_->picpreview->ScaleWidth() - 1, form_->picpreview->ScaleHeight() - 1),
              0x00FF00u);
}

TEST_F(FullScreenCapture, SwitchingStylesRedrawsWithoutTouchingTheBuffer) {
    form_->mnuScreen_Click();
    const HDC buffer = variables::CaptureDC;
    const std::uint32_t corner = CapturePixel(100, 100);
    form_->opActual->setChecked(true);
    form_->opActual_Click();
    EXPECT_EQ(PanePixel(100, 100), FakeScreen::PatternAt(100, 100));
    form_->opStretch->setChecked(true);
    form_->opStretch_Click();
    form_->opActual->setChecked(true);
    form_->opActual_Click();
    EXPECT_EQ(variables::CaptureDC, buffer);
    EXPECT_EQ(CapturePixel(100, 100), corner);
    EXPECT_EQ(PanePixel(100, 100), FakeScreen::PatternAt(100, 100));
}

TEST_F(FullScreenCapture, BeforeAnyCaptureTheStylesAndResizeDrawNothing) {
    const std::uint32_t background = controls::PictureBox::kScrollBarColour;
    form_->opActual->setChecked(true);
    form_->opActual_Click();
    form_->opStretch->setChecked(true);
    form_->opStretch_Click();
    form_->resize(800, 600);
    form_->Form_Resize();
    EXPECT_EQ(PanePixel(10, 10), background);
    EXPECT_EQ(variables::CaptureDC, 0u);
}

TEST_F(FullScreenCapture, RepeatedCapturesReleaseWhatTheySupersede) {
    form_->mnuScreen_Click();
    const std::size_t afterFirst = raster::LiveHandleCount();
    for (int i = 0; i < 20; ++i) {
        form_->mnuScreen_Click();
    }
    EXPECT_EQ(raster::LiveHandleCount(), afterFirst);
    EXPECT_EQ(raster::RetiredCount(), 0u);
}

TEST_F(FullScreenCapture, NestedCaptureDuringAYieldLeavesAConsistentBuffer) {
    // A capture started from inside another one's yield (a hot key pressed
    // mid-capture) replaces the buffer; the outer one goes on with what the
    // shared state holds and nothing it still uses is released under it.
    bool nested = false;
    QMetaObject::invokeMethod(
        form_.get(),
        [&] {
            nested = true;
            form_->mnuScreen_Click();
        },
        Qt::QueuedConnection);
    form_->mnuScreen_Click();
    EXPECT_TRUE(nested);
    EXPECT_EQ(variables::CaptureWidth, kScreenWidth);
    EXPECT_EQ(CapturePixel(5, 5), FakeScreen::PatternAt(5, 5));
    EXPECT_EQ(raster::RetiredCount(), 0u);
}

}  // namespace
