#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>

#include "capture/frm_select.h"
#include "capture/region_buffer.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/qt/control_impl.h"
#include "platform/controls/qt/form_window.h"
#include "platform/controls/rectangle_shape.h"
#include "program/default_form.h"
#include "support/form1_fixture.h"
#include "support/message_box_answerer.h"

namespace {

using testing_support::FakeScreen;

class RegionCapture : public testing_support::Form1Test {
  protected:
    void TearDown() override {
        app::DefaultForm<frmSelect>::Unload();
        FlushUnloadedWindows();
        Form1Test::TearDown();
    }

    // Unloaded windows are deleted once control is back in the event loop.
    static void FlushUnloadedWindows() { QCoreApplication::sendPostedEvents(); }

    static frmSelect* Selection() { return app::DefaultForm<frmSelect>::IfLoaded(); }

    // Starts a region capture; the screen changes afterwards, so every
    // pixel read later must come from the frozen snapshot.
    frmSelect& Start() {
        form_->mnuselscreen_Click();
        screen_->fill(0x0000FF);
        EXPECT_NE(Selection(), nullptr);
        return *Selection();
    }

    void Drag(frmSelect& select, float x0, float y0, float x1, float y1) {
        select.Picture1_MouseDown(1, 0, x0, y0);
        select.Picture1_MouseMove(1, 0, x1, y1);
        select.Picture1_MouseUp(1, 0, x1, y1);
        FlushUnloadedWindows();
    }

    // A previous capture in the buffer and the preview, at actual size.
    void PreviousCapture() {
        form_->opActual.setValue(true);
        form_->mnuScreen_Click();
        previousDC_ = variables::CaptureDC;
        previousPane_ = PanePixel(3, 4);
        previousHandles_ = raster::LiveHandleCount();
    }

    void ExpectPreviousCaptureKept() {
        EXPECT_EQ(variables::CaptureDC, previousDC_);
        EXPECT_EQ(variables::CaptureWidth, kScreenWidth);
        EXPECT_EQ(variables::CaptureHeight, kScreenHeight);
        EXPECT_EQ(CapturePixel(3, 4), FakeScreen::PatternAt(3, 4));
        EXPECT_EQ(PanePixel(3, 4), previousPane_);
        EXPECT_EQ(Selection(), nullptr);
        EXPECT_TRUE(form_->Visible());
        EXPECT_FALSE(capture::SelectionPending());
        // Only the display context was renewed; the snapshot is gone.
        EXPECT_EQ(raster::LiveHandleCount(), previousHandles_);
    }

    raster::HDC previousDC_ = 0;
    std::uint32_t previousPane_ = 0;
    std::size_t previousHandles_ = 0;
};

TEST_F(RegionCapture, TheStartFreezesTheScreenUnderTheSelectionWindow) {
    PreviousCapture();
    variables::SaveNameKnown = true;
    frmSelect& select = Start();
    EXPECT_FALSE(form_->Visible());
    EXPECT_FALSE(variables::SaveNameKnown);
    EXPECT_TRUE(select.Visible());
    EXPECT_EQ(select.Caption(), "Form3");
    EXPECT_EQ(select.Picture1.Width(), kScreenWidth);
    EXPECT_EQ(select.Picture1.Height(), kScreenHeight);
    // What the picture draws is the frozen screen.
    const QImage shown =
        controls::qt::WidgetOf(select.Picture1)->grab(QRect(1000, 700, 1, 1)).toImage();
    EXPECT_EQ(shown.pixel(0, 0) & 0xFFFFFFu, FakeScreen::PatternAt(1000, 700));
    // The sizes stay the previous capture's while the user selects.
    EXPECT_EQ(variables::CaptureWidth, kScreenWidth);
    EXPECT_EQ(CapturePixel(3, 4), FakeScreen::PatternAt(3, 4));
    EXPECT_NE(variables::CaptureDC, previousDC_);
}

TEST_F(RegionCapture, ReleaseMakesTheDraggedRectangleTheCapture) {
    PreviousCapture();
    frmSelect& select = Start();
    Drag(select, 100, 200, 300, 350);
    EXPECT_EQ(variables::CaptureWidth, 200);
    EXPECT_EQ(variables::CaptureHeight, 150);
    EXPECT_EQ(CapturePixel(0, 0), FakeScreen::PatternAt(100, 200));
    EXPECT_EQ(CapturePixel(199, 149), FakeScreen::PatternAt(299, 349));
    EXPECT_EQ(PanePixel(0, 0), FakeScreen::PatternAt(100, 200));
    EXPECT_EQ(PanePixel(199, 149), FakeScreen::PatternAt(299, 349));
    EXPECT_EQ(Selection(), nullptr);
    EXPECT_TRUE(form_->Visible());
    EXPECT_FALSE(capture::SelectionPending());
    // Previous buffer, snapshot and temporary copy are released; the new
    // selection display context is the one handle more.
    EXPECT_EQ(raster::RetiredCount(), 0u);
    EXPECT_EQ(raster::LiveHandleCount(), previousHandles_ + 1);
}

TEST_F(RegionCapture, APressWithoutMovementCapturesThePixelUnderIt) {
    frmSelect& select = Start();
    select.Picture1_MouseDown(1, 0, 517, 389);
    select.Picture1_MouseUp(1, 0, 517, 389);
    FlushUnloadedWindows();
    EXPECT_EQ(variables::CaptureWidth, 1);
    EXPECT_EQ(variables::CaptureHeight, 1);
    EXPECT_EQ(CapturePixel(0, 0), FakeScreen::PatternAt(517, 389));

    // The middle button cannot grow the band: one pixel again.
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            screen_->at(x, y) = FakeScreen::PatternAt(x, y);
        }
    }
    frmSelect& again = Start();
    again.Picture1_MouseDown(4, 0, 20, 30);
    again.Picture1_MouseMove(4, 0, 80, 90);
    again.Picture1_MouseUp(4, 0, 80, 90);
    FlushUnloadedWindows();
    EXPECT_EQ(variables::CaptureWidth, 1);
    EXPECT_EQ(CapturePixel(0, 0), FakeScreen::PatternAt(20, 30));
}

TEST_F(RegionCapture, TheBandRefusesNegativeSizes) {
    frmSelect& select = Start();
    select.Picture1_MouseDown(1, 0, 400, 300);
    select.Picture1_MouseMove(1, 0, 460, 340);
    select.Picture1_MouseMove(1, 0, 390, 350);  // left of the press
    select.Picture1_MouseMove(1, 0, 470, 250);  // above it
    EXPECT_EQ(select.CropBox.Left(), 400);
    EXPECT_EQ(select.CropBox.Width(), 70);
    EXPECT_EQ(select.CropBox.Height(), 50);
    EXPECT_TRUE(select.CropBox.Visible());
    select.Picture1_MouseUp(1, 0, 470, 250);
    FlushUnloadedWindows();
    EXPECT_EQ(variables::CaptureWidth, 70);
    EXPECT_EQ(variables::CaptureHeight, 50);
    EXPECT_EQ(CapturePixel(0, 0), FakeScreen::PatternAt(400, 300));
}

TEST_F(RegionCapture, RightPressEscapeAndClosingKeepThePreviousCapture) {
    PreviousCapture();
    frmSelect& byRight = Start();
    byRight.Picture1_MouseDown(1, 0, 10, 10);
    byRight.Picture1_MouseMove(1, 0, 50, 50);
    byRight.Picture1_MouseDown(2, 0, 50, 50);
    // The left button's release, sent before the window went.
    byRight.Picture1_MouseUp(1, 0, 50, 50);
    FlushUnloadedWindows();
    ExpectPreviousCaptureKept();

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(controls::qt::WindowOf(Start()), &escape);
    FlushUnloadedWindows();
    ExpectPreviousCaptureKept();

    controls::qt::WindowOf(Start())->close();
    FlushUnloadedWindows();
    ExpectPreviousCaptureKept();
}

TEST_F(RegionCapture, ASelectionWithoutAreaKeepsThePreviousCapture) {
    PreviousCapture();
    frmSelect& select = Start();
    select.Picture1_MouseDown(1, 0, 100, 100);
    select.Picture1_MouseMove(1, 0, 100, 160);  // back to the press column
    select.Picture1_MouseUp(1, 0, 100, 160);
    FlushUnloadedWindows();
    ExpectPreviousCaptureKept();
}

TEST_F(RegionCapture, ASelectionBeyond32767PixelsIsRefusedWithAMessage) {
    PreviousCapture();
    testing_support::MessageBoxAnswerer answerer;
    frmSelect& select = Start();
    select.Picture1_MouseDown(1, 0, 10, 10);
    select.Picture1_MouseMove(1, 0, 40000, 50);
    select.Picture1_MouseUp(1, 0, 40000, 50);
    FlushUnloadedWindows();
    ASSERT_EQ(answerer.shown.size(), 1u);
    EXPECT_EQ(answerer.shown[0].title, "Tessarine");
    EXPECT_TRUE(answerer.shown[0].text.contains("32767"));
    ExpectPreviousCaptureKept();
}

TEST_F(RegionCapture, CancellingTheFirstCaptureLeavesTheBufferEmpty) {
    const std::size_t handles = raster::LiveHandleCount();
    Start().Picture1_MouseDown(2, 0, 5, 5);
    FlushUnloadedWindows();
    EXPECT_EQ(variables::CaptureDC, 0u);
    EXPECT_EQ(variables::CaptureBitmap, 0u);
    EXPECT_EQ(variables::CaptureWidth, 0);
    EXPECT_EQ(PanePixel(5, 5), controls::PictureBox::kScrollBarColour);
    EXPECT_EQ(raster::LiveHandleCount(), handles + 1);  // ScreenDC
}

TEST_F(RegionCapture, ACaptureDuringTheSelectionIsNotUndoneByCancelling) {
    PreviousCapture();
    frmSelect& select = Start();
    // A hot-key capture while selecting replaces the snapshot.
    screen_->fill(0x00FF00);
    form_->mnuScreen_Click();
    const raster::HDC newer = variables::CaptureDC;
    select.Picture1_MouseDown(2, 0, 5, 5);
    FlushUnloadedWindows();
    EXPECT_EQ(variables::CaptureDC, newer);
    EXPECT_EQ(CapturePixel(3, 4), 0x00FF00u);
    EXPECT_EQ(raster::LiveHandleCount(), previousHandles_);
    EXPECT_EQ(raster::RetiredCount(), 0u);
}

TEST_F(RegionCapture, InputDuringTheFinishDoesNotCancelIt) {
    PreviousCapture();
    frmSelect& select = Start();
    select.Picture1_MouseDown(1, 0, 10, 10);
    select.Picture1_MouseMove(1, 0, 30, 40);
    // A right press and an Escape queued while the release is captured.
    QWidget* window = controls::qt::WindowOf(select);
    QTimer::singleShot(0, window, [&select, window] {
        select.Picture1_MouseDown(2, 0, 30, 40);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &escape);
        window->close();
    });
    select.Picture1_MouseUp(1, 0, 30, 40);
    FlushUnloadedWindows();
    EXPECT_EQ(variables::CaptureWidth, 20);
    EXPECT_EQ(variables::CaptureHeight, 30);
    EXPECT_EQ(CapturePixel(0, 0), FakeScreen::PatternAt(10, 10));
    EXPECT_EQ(Selection(), nullptr);
    EXPECT_TRUE(form_->Visible());
}

}  // namespace
