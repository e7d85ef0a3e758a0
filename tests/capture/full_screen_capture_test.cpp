#include <QCoreApplication>

#include "platform/controls/picture_box.h"
#include "support/form1_fixture.h"
#include "support/message_box_answerer.h"

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
    EXPECT_TRUE(form_->Visible());
}

TEST_F(FullScreenCapture, PreviewShowsTheCaptureInEitherStyle) {
    form_->opActual.setValue(true);
    form_->mnuScreen_Click();
    EXPECT_EQ(PanePixel(7, 9), FakeScreen::PatternAt(7, 9));
    const int paneWidth = form_->picpreview.ScaleWidth();
    EXPECT_EQ(PanePixel(paneWidth - 1, 0), FakeScreen::PatternAt(paneWidth - 1, 0));

    // Stretched: a screen of one colour stays that colour in the pane.
    screen_->fill(0x00FF00);
    form_->opStretch.setValue(true);
    form_->mnuScreen_Click();
    EXPECT_EQ(PanePixel(0, 0), 0x00FF00u);
    EXPECT_EQ(PanePixel(form_->picpreview.ScaleWidth() - 1, form_->picpreview.ScaleHeight() - 1),
              0x00FF00u);
}

TEST_F(FullScreenCapture, SwitchingStylesRedrawsWithoutTouchingTheBuffer) {
    form_->mnuScreen_Click();
    const raster::HDC buffer = variables::CaptureDC;
    const std::uint32_t corner = CapturePixel(100, 100);
    form_->opActual.setValue(true);
    form_->opActual_Click();
    EXPECT_EQ(PanePixel(100, 100), FakeScreen::PatternAt(100, 100));
    form_->opStretch.setValue(true);
    form_->opStretch_Click();
    form_->opActual.setValue(true);
    form_->opActual_Click();
    EXPECT_EQ(variables::CaptureDC, buffer);
    EXPECT_EQ(CapturePixel(100, 100), corner);
    EXPECT_EQ(PanePixel(100, 100), FakeScreen::PatternAt(100, 100));
}

TEST_F(FullScreenCapture, BeforeAnyCaptureTheStylesAndResizeDrawNothing) {
    const std::uint32_t background = controls::PictureBox::kScrollBarColour;
    form_->opActual.setValue(true);
    form_->opActual_Click();
    form_->opStretch.setValue(true);
    form_->opStretch_Click();
    form_->setClientSize(800, 560);
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
        QCoreApplication::instance(),
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

// The capture buffer is made at the start of the pause for the screen as it
// is then. A source that takes its picture when the pause ends (the desktop
// portal) may hand over another size, or none.
class PictureAtFreeze : public raster::ScreenSource {
  public:
    FakeScreen before{1024, 768};
    FakeScreen after{800, 600};
    bool frozen = false;
    bool readable = true;

    raster::Size size() override { return frozen ? after.size() : before.size(); }
    bool read(int x, int y, int width, int height, std::uint32_t* dest, int stride) override {
        return readable && (frozen ? after : before).read(x, y, width, height, dest, stride);
    }
    std::string freeze() override {
        frozen = true;
        return {};
    }
};

class FullScreenCaptureOfAFrozenPicture : public FullScreenCapture {
  protected:
    void SetUp() override {
        FullScreenCapture::SetUp();
        fake_ = raster::CurrentScreenSource();
        raster::SetScreenSource(source_);
    }
    void TearDown() override {
        raster::SetScreenSource(fake_);
        FullScreenCapture::TearDown();
    }
    std::shared_ptr<PictureAtFreeze> source_ = std::make_shared<PictureAtFreeze>();
    std::shared_ptr<raster::ScreenSource> fake_;
};

TEST_F(FullScreenCaptureOfAFrozenPicture, APictureOfAnotherSizeIsCapturedAtItsOwnSize) {
    form_->mnuScreen_Click();
    EXPECT_EQ(variables::CaptureWidth, 800);
    EXPECT_EQ(variables::CaptureHeight, 600);
    EXPECT_EQ(raster::ContextPixels(variables::CaptureDC)->width, 800);
    EXPECT_EQ(CapturePixel(799, 599), FakeScreen::PatternAt(799, 599));
    EXPECT_EQ(raster::RetiredCount(), 0u);
}

TEST_F(FullScreenCaptureOfAFrozenPicture, AnUnreadablePictureKeepsThePreviousCapture) {
    source_->frozen = true;
    form_->mnuScreen_Click();
    const raster::HDC kept = variables::CaptureDC;
    source_->readable = false;
    testing_support::MessageBoxAnswerer boxes;
    form_->mnuScreen_Click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains("the screen could not be read"));
    EXPECT_EQ(variables::CaptureDC, kept);
    EXPECT_EQ(variables::CaptureWidth, 800);
    EXPECT_EQ(CapturePixel(799, 599), FakeScreen::PatternAt(799, 599));
    EXPECT_TRUE(form_->Visible());
}

}  // namespace
