#include <QRadioButton>
#include <QTimer>

#include "base/rounding.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/popup_button.h"
#include "platform/controls/qt/form_window.h"
#include "platform/controls/rectangle_shape.h"
#include "support/form1_fixture.h"
#include "support/message_box_answerer.h"

namespace {

using testing_support::FakeScreen;

class CropTool : public testing_support::Form1Test {
  protected:
    // Arms the crop and drags from (x0, y0) to (x1, y1) with the left button.
    void Crop(float x0, float y0, float x1, float y1) {
        form_->cmdCrop_Click();
        form_->picpreview_MouseDown(1, 0, x0, y0);
        form_->picpreview_MouseMove(1, 0, x1, y1);
        form_->picpreview_MouseUp(1, 0, x1, y1);
    }

    // Puts a width x height buffer of one colour in place of the capture.
    void UseBuffer(int width, int height, std::uint32_t colour) {
        raster::ReplaceContext(variables::CaptureDC, raster::CreateCompatibleDC(form_->ScreenDC));
        raster::ReplaceBitmap(variables::CaptureBitmap,
                              raster::CreateCompatibleBitmap(form_->ScreenDC, width, height));
        raster::SelectObject(variables::CaptureDC, variables::CaptureBitmap);
        raster::FillContext(variables::CaptureDC, colour);
        variables::CaptureWidth = static_cast<std::int16_t>(width);
        variables::CaptureHeight = static_cast<std::int16_t>(height);
        raster::ReleaseRetired();
    }

    static raster::Size BufferSize() {
        const auto view = raster::ContextPixels(variables::CaptureDC);
        return view ? raster::Size{view->width, view->height} : raster::Size{};
    }
};

TEST_F(CropTool, ActualSizeKeepsTheDraggedPixels) {
    form_->opActual.setValue(true);
    form_->mnuScreen_Click();
    variables::SaveNameKnown = true;
    const std::size_t handles = raster::LiveHandleCount();
    Crop(10, 20, 110, 70);
    EXPECT_EQ(variables::CaptureWidth, 100);
    EXPECT_EQ(variables::CaptureHeight, 50);
    EXPECT_EQ(BufferSize().width, 100);
    EXPECT_EQ(BufferSize().height, 50);
    EXPECT_EQ(CapturePixel(0, 0), FakeScreen::PatternAt(10, 20));
    EXPECT_EQ(CapturePixel(99, 49), FakeScreen::PatternAt(109, 69));
    EXPECT_EQ(PanePixel(0, 0), FakeScreen::PatternAt(10, 20));
    EXPECT_EQ(PanePixel(100, 0), controls::PictureBox::kScrollBarColour);
    EXPECT_FALSE(variables::CropArmed);
    EXPECT_FALSE(form_->CropBox.Visible());
    EXPECT_TRUE(form_->cmdCrop.Highlight());
    EXPECT_TRUE(variables::SaveNameKnown);
    // The old buffer and the temporary copy are gone.
    EXPECT_EQ(raster::LiveHandleCount(), handles);
    EXPECT_EQ(raster::RetiredCount(), 0u);
}

TEST_F(CropTool, StretchToFitMapsTheBandOntoTheWholeCapture) {
    form_->mnuScreen_Click();
    const double pw = form_->picpreview.ScaleWidth();
    const double ph = form_->picpreview.ScaleHeight();
    Crop(120, 90, 360, 279);
    const int x = base::ToInt32OrZero(120 * 1024 / pw);
    const int y = base::ToInt32OrZero(90 * 768 / ph);
    EXPECT_EQ(variables::CaptureWidth, base::ToInt32OrZero(240 * 1024 / pw));
    EXPECT_EQ(variables::CaptureHeight, base::ToInt32OrZero(189 * 768 / ph));
    EXPECT_EQ(CapturePixel(0, 0), FakeScreen::PatternAt(x, y));
    EXPECT_EQ(
        CapturePixel(variables::CaptureWidth - 1, variables::CaptureHeight - 1),
        FakeScreen::PatternAt(x + variables::CaptureWidth - 1, y + variables::CaptureHeight - 1));
    // The pane shows the new capture stretched over all of it.
    EXPECT_NE(PanePixel(static_cast<int>(pw) - 1, static_cast<int>(ph) - 1),
              controls::PictureBox::kScrollBarColour);
    EXPECT_TRUE(form_->cmdCrop.Highlight());
}

TEST_F(CropTool, PixelsBeyondTheOldImageAreBlack) {
    form_->opActual.setValue(true);
    form_->mnuScreen_Click();
    Crop(0, 0, 100, 50);
    // The band runs 50 pixels past the 100 x 50 image in both directions.
    Crop(50, 25, 150, 75);
    EXPECT_EQ(variables::CaptureWidth, 100);
    EXPECT_EQ(variables::CaptureHeight, 50);
    EXPECT_EQ(CapturePixel(0, 0), FakeScreen::PatternAt(50, 25));
    EXPECT_EQ(CapturePixel(49, 24), FakeScreen::PatternAt(99, 49));
    EXPECT_EQ(CapturePixel(50, 0), 0u);
    EXPECT_EQ(CapturePixel(0, 25), 0u);
    EXPECT_EQ(CapturePixel(99, 49), 0u);
}

TEST_F(CropTool, TheBandGrowsOnlyTowardsTheLowerRight) {
    form_->opActual.setValue(true);
    form_->mnuScreen_Click();
    form_->cmdCrop_Click();
    form_->picpreview_MouseDown(1, 0, 100, 100);
    form_->picpreview_MouseMove(1, 0, 140, 130);
    form_->picpreview_MouseMove(1, 0, 60, 150);  // left of the press: width kept
    form_->picpreview_MouseMove(1, 0, 70, 80);   // up and left: both kept
    EXPECT_EQ(form_->CropBox.Width(), 40);
    EXPECT_EQ(form_->CropBox.Height(), 50);
    EXPECT_EQ(form_->CropBox.Left(), 100);
    form_->picpreview_MouseUp(1, 0, 70, 80);
    EXPECT_EQ(variables::CaptureWidth, 40);
    EXPECT_EQ(variables::CaptureHeight, 50);
    EXPECT_EQ(CapturePixel(0, 0), FakeScreen::PatternAt(100, 100));
}

TEST_F(CropTool, AClickOrABandWithoutAreaLeavesTheCapture) {
    form_->opActual.setValue(true);
    form_->mnuScreen_Click();
    const raster::HDC buffer = variables::CaptureDC;
    const std::uint32_t pane = PanePixel(5, 5);
    const std::size_t handles = raster::LiveHandleCount();

    Crop(30, 30, 30, 30);  // a click
    EXPECT_EQ(variables::CaptureDC, buffer);
    EXPECT_EQ(variables::CaptureWidth, kScreenWidth);
    EXPECT_EQ(variables::CaptureHeight, kScreenHeight);
    EXPECT_EQ(PanePixel(5, 5), pane);
    EXPECT_FALSE(variables::CropArmed);
    EXPECT_FALSE(form_->CropBox.Visible());
    EXPECT_FALSE(form_->cmdCrop.Highlight());

    Crop(30, 30, 200, 30);  // no height
    Crop(30, 30, 10, 90);   // left of the press: no width
    EXPECT_EQ(variables::CaptureDC, buffer);
    EXPECT_EQ(variables::CaptureWidth, kScreenWidth);
    EXPECT_EQ(raster::LiveHandleCount(), handles);
}

TEST_F(CropTool, CropBeforeAnyCaptureChangesNothing) {
    const std::size_t handles = raster::LiveHandleCount();
    Crop(10, 10, 100, 100);
    EXPECT_EQ(variables::CaptureDC, 0u);
    EXPECT_EQ(variables::CaptureWidth, 0);
    EXPECT_EQ(PanePixel(20, 20), controls::PictureBox::kScrollBarColour);
    EXPECT_EQ(raster::LiveHandleCount(), handles);
    EXPECT_FALSE(form_->cmdCrop.Highlight());
}

TEST_F(CropTool, OnlyAnArmedLeftDragCrops) {
    form_->opActual.setValue(true);
    form_->mnuScreen_Click();
    const raster::HDC buffer = variables::CaptureDC;
    // Unarmed: the press only places the band, with no size.
    form_->picpreview_MouseDown(1, 0, 40, 50);
    form_->picpreview_MouseMove(1, 0, 140, 150);
    form_->picpreview_MouseUp(1, 0, 140, 150);
    EXPECT_TRUE(form_->CropBox.Visible());
    EXPECT_EQ(form_->CropBox.Width(), 0);
    EXPECT_EQ(variables::CaptureDC, buffer);
    // Armed, but the right button neither grows nor ends the crop.
    form_->cmdCrop_Click();
    form_->picpreview_MouseDown(1, 0, 40, 50);
    form_->picpreview_MouseMove(2, 0, 140, 150);
    form_->picpreview_MouseMove(3, 0, 140, 150);
    form_->picpreview_MouseUp(2, 0, 140, 150);
    EXPECT_EQ(form_->CropBox.Width(), 0);
    EXPECT_TRUE(variables::CropArmed);
    EXPECT_EQ(variables::CaptureDC, buffer);
    form_->picpreview_MouseMove(1, 0, 60, 80);
    form_->picpreview_MouseUp(1, 0, 60, 80);
    EXPECT_EQ(variables::CaptureWidth, 20);
    EXPECT_EQ(variables::CaptureHeight, 30);
}

TEST_F(CropTool, TooLargeOrOverflowingCropsAreRefusedWithAMessage) {
    form_->mnuScreen_Click();
    UseBuffer(30000, 4, 0x123456);
    const raster::HDC buffer = variables::CaptureDC;

    testing_support::MessageBoxAnswerer answerer;
    // Past the pane in Stretch to fit: 600 * 30000 / pane width > 32767.
    Crop(0, 0, 600, 2);
    ASSERT_EQ(answerer.shown.size(), 1u);
    EXPECT_EQ(answerer.shown[0].title, "Tessarine");
    EXPECT_TRUE(answerer.shown[0].text.contains("32767")) << answerer.shown[0].text.toStdString();
    EXPECT_EQ(variables::CaptureDC, buffer);
    EXPECT_EQ(variables::CaptureWidth, 30000);
    EXPECT_FALSE(variables::CropArmed);
    EXPECT_FALSE(form_->CropBox.Visible());

    // 80000 * 30000 overflows 32 bits.
    Crop(80000, 0, 80001, 1);
    ASSERT_EQ(answerer.shown.size(), 2u);
    EXPECT_EQ(answerer.shown[1].title, "Tessarine");
    EXPECT_TRUE(answerer.shown[1].text.contains("too large"))
        << answerer.shown[1].text.toStdString();
    EXPECT_EQ(variables::CaptureDC, buffer);
    EXPECT_EQ(variables::CaptureWidth, 30000);
    EXPECT_EQ(variables::CaptureHeight, 4);

    // 30000 x 10000: sides a capture can have, but more pixels than a
    // buffer may hold. The capture stays whole.
    Crop(0, 0, form_->picpreview.ScaleWidth(), 2500.0f * form_->picpreview.ScaleHeight());
    ASSERT_EQ(answerer.shown.size(), 3u);
    EXPECT_TRUE(answerer.shown[2].text.contains("no memory"))
        << answerer.shown[2].text.toStdString();
    EXPECT_EQ(variables::CaptureDC, buffer);
    EXPECT_EQ(variables::CaptureHeight, 4);
    EXPECT_EQ(BufferSize().height, 4);
}

TEST_F(CropTool, ACaptureDuringTheCropsYieldsUsesNoReleasedHandle) {
    form_->opActual.setValue(true);
    form_->mnuScreen_Click();
    const std::size_t handles = raster::LiveHandleCount();
    // A hot-key capture arrives while the crop yields.
    QTimer::singleShot(0, controls::qt::WindowOf(*form_), [this] { form_->mnuScreen_Click(); });
    Crop(10, 10, 60, 40);
    const raster::Size size = BufferSize();
    EXPECT_EQ(size.width, variables::CaptureWidth);
    EXPECT_EQ(size.height, variables::CaptureHeight);
    EXPECT_EQ(raster::RetiredCount(), 0u);
    EXPECT_EQ(raster::LiveHandleCount(), handles);
}

}  // namespace
