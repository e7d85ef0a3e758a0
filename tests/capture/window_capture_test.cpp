#include <QLabel>
#include <QRadioButton>
#include <optional>

#include "capture/foreground_window.h"
#include "capture/form2.h"
#include "platform/controls/event_pump.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/qt/form_window.h"
#include "program/default_form.h"
#include "support/form1_fixture.h"
#include "support/message_box_answerer.h"

namespace {

using testing_support::FakeScreen;

// The window system as the capture sees it: one window in front, with the
// rectangle the test gives it.
struct FakeWindows {
    static inline platform::HWND foreground = 0;
    static inline platform::RECT rect;
    static inline int foregroundQueries = 0;
    static inline bool form2HiddenWhenAsked = false;
    static inline bool gone = false;

    static platform::HWND Foreground() {
        ++foregroundQueries;
        Form2* form2 = app::DefaultForm<Form2>::IfLoaded();
        form2HiddenWhenAsked = form2 && !form2->Visible();
        return foreground;
    }
    // Like the X11 query: nothing changes for no window.
    static bool Rect(platform::HWND window, platform::RECT* out) {
        if (window == 0 || gone) {
            return false;
        }
        *out = rect;
        return true;
    }
};

class WindowCapture : public testing_support::Form1Test {
  protected:
    void SetUp() override {
        Form1Test::SetUp();
        FakeWindows::foreground = 0x400007;
        FakeWindows::rect = {};
        FakeWindows::foregroundQueries = 0;
        FakeWindows::form2HiddenWhenAsked = false;
        FakeWindows::gone = false;
        windows_.emplace([](testing_support::FakeBackend& fake) {
            fake.foreground = &FakeWindows::Foreground;
            fake.rect = &FakeWindows::Rect;
        });
    }
    void TearDown() override {
        windows_.reset();
        Form1Test::TearDown();
    }

    static void InFront(int left, int top, int right, int bottom) {
        FakeWindows::rect = {left, top, right, bottom};
    }

    bool PaneIsClear() const {
        for (int y = 0; y < form_->picpreview.ScaleHeight(); y += 7) {
            for (int x = 0; x < form_->picpreview.ScaleWidth(); x += 7) {
                if (PanePixel(x, y) != controls::PictureBox::kScrollBarColour) {
                    return false;
                }
            }
        }
        return true;
    }

    std::optional<testing_support::ScopedFakeBackend> windows_;
};

TEST_F(WindowCapture, CopiesTheWindowsRectangleFromTheScreen) {
    variables::SaveNameKnown = true;
    form_->opActual.setValue(true);
    InFront(100, 50, 300, 200);
    form_->WSHK_HotKeyPressed();

    EXPECT_EQ(variables::CaptureWidth, 200);
    EXPECT_EQ(variables::CaptureHeight, 150);
    EXPECT_FALSE(variables::SaveNameKnown);
    EXPECT_NE(form_->ScreenDC, 0u);
    EXPECT_EQ(raster::ContextPixels(variables::CaptureDC)->width, 200);
    EXPECT_EQ(CapturePixel(0, 0), FakeScreen::PatternAt(100, 50));
    EXPECT_EQ(CapturePixel(199, 149), FakeScreen::PatternAt(299, 199));
    // Actual size: 1:1 from the pane's corner, the rest of the pane clear.
    EXPECT_EQ(PanePixel(0, 0), FakeScreen::PatternAt(100, 50));
    EXPECT_EQ(PanePixel(199, 149), FakeScreen::PatternAt(299, 199));
    EXPECT_EQ(PanePixel(200, 150), controls::PictureBox::kScrollBarColour);
    EXPECT_TRUE(form_->Visible()) << "the main window is never hidden";
}

TEST_F(WindowCapture, StretchesTheCaptureOverThePane) {
    screen_->fill(0x123456);
    InFront(10, 10, 60, 40);
    form_->WSHK_HotKeyPressed();
    EXPECT_EQ(PanePixel(0, 0), 0x123456u);
    EXPECT_EQ(PanePixel(form_->picpreview.ScaleWidth() - 1, form_->picpreview.ScaleHeight() - 1),
              0x123456u);
}

TEST_F(WindowCapture, PartsOffTheScreenComeOutBlack) {
    // 100 x 100 reaching 10 pixels past the left edge and past the bottom.
    InFront(-10, kScreenHeight - 60, 90, kScreenHeight + 40);
    form_->WSHK_HotKeyPressed();
    EXPECT_EQ(variables::CaptureWidth, 100);
    EXPECT_EQ(variables::CaptureHeight, 100);
    EXPECT_EQ(CapturePixel(9, 0), 0u);
    EXPECT_EQ(CapturePixel(10, 0), FakeScreen::PatternAt(0, kScreenHeight - 60));
    EXPECT_EQ(CapturePixel(10, 59), FakeScreen::PatternAt(0, kScreenHeight - 1));
    EXPECT_EQ(CapturePixel(10, 60), 0u);
    EXPECT_EQ(CapturePixel(99, 99), 0u);
}

TEST_F(WindowCapture, NoWindowInFrontKeepsThePreviousCaptureAndSaysSo) {
    InFront(0, 0, 300, 200);
    form_->WSHK_HotKeyPressed();
    ASSERT_EQ(variables::CaptureWidth, 300);
    const raster::HDC buffer = variables::CaptureDC;
    const std::size_t handles = raster::LiveHandleCount();

    // No window in front (no window manager, focus on the pointer's
    // window), then a window that is gone before its rectangle is read.
    for (bool gone : {false, true}) {
        FakeWindows::foreground = gone ? 0x400009 : 0;
        FakeWindows::gone = gone;
        testing_support::MessageBoxAnswerer boxes;
        form_->WSHK_HotKeyPressed();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_TRUE(boxes.shown[0].text.contains("the previous capture is kept"));
        EXPECT_EQ(variables::CaptureDC, buffer);
        EXPECT_EQ(variables::CaptureWidth, 300);
        EXPECT_EQ(variables::CaptureHeight, 200);
        EXPECT_EQ(raster::LiveHandleCount(), handles);
        EXPECT_FALSE(PaneIsClear());
    }
}

TEST_F(WindowCapture, AWindowTooLargeOrEmptyIsRefusedAndTheBufferKept) {
    InFront(0, 0, 300, 200);
    form_->WSHK_HotKeyPressed();
    const raster::HDC buffer = variables::CaptureDC;
    const raster::HBITMAP bitmap = variables::CaptureBitmap;
    const raster::HDC screen = form_->ScreenDC;
    const std::size_t handles = raster::LiveHandleCount();

    for (const platform::RECT& huge :
         {platform::RECT{-100, 0, 32668, 10}, platform::RECT{0, 0, 10, 40000},
          platform::RECT{5, 5, 5, 90}}) {
        testing_support::MessageBoxAnswerer boxes;
        InFront(huge.left, huge.top, huge.right, huge.bottom);
        form_->WSHK_HotKeyPressed();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].title, "Tessarine");
        EXPECT_TRUE(boxes.shown[0].text.contains("32767"));
        EXPECT_EQ(variables::CaptureDC, buffer);
        EXPECT_EQ(variables::CaptureBitmap, bitmap);
        EXPECT_EQ(form_->ScreenDC, screen);
        EXPECT_EQ(variables::CaptureWidth, 300);
        EXPECT_EQ(variables::CaptureHeight, 200);
        EXPECT_EQ(raster::LiveHandleCount(), handles);
        // The kept capture is back in the preview.
        EXPECT_FALSE(PaneIsClear());
    }

    // The largest size that fits is taken.
    InFront(0, 0, 32767, 1);
    form_->WSHK_HotKeyPressed();
    EXPECT_EQ(variables::CaptureWidth, 32767);
}

TEST_F(WindowCapture, TheInstructionsAreHiddenBeforeTheWindowInFrontIsAsked) {
    form_->mnuWindow_Click();
    Form2* form2 = app::DefaultForm<Form2>::IfLoaded();
    ASSERT_NE(form2, nullptr);
    EXPECT_TRUE(form2->Visible());

    InFront(0, 0, 10, 10);
    form_->WSHK_HotKeyPressed();
    EXPECT_EQ(FakeWindows::foregroundQueries, 1);
    EXPECT_TRUE(FakeWindows::form2HiddenWhenAsked);
    EXPECT_EQ(app::DefaultForm<Form2>::IfLoaded(), form2) << "hidden, not unloaded";

    // The menu item shows the same window again.
    form_->mnuWindow_Click();
    EXPECT_EQ(app::DefaultForm<Form2>::IfLoaded(), form2);
    EXPECT_TRUE(form2->Visible());
}

TEST_F(WindowCapture, TheFirstCaptureLoadsTheInstructionsHidden) {
    ASSERT_EQ(app::DefaultForm<Form2>::IfLoaded(), nullptr);
    InFront(10, 10, 50, 40);
    form_->WSHK_HotKeyPressed();
    ASSERT_NE(app::DefaultForm<Form2>::IfLoaded(), nullptr);
    EXPECT_FALSE(app::DefaultForm<Form2>::IfLoaded()->Visible());
}

TEST(Form2Window, IsTheSmallFixedInstructionDialog) {
    Form2& form = app::DefaultForm<Form2>::Get();
    QWidget* window = controls::qt::WindowOf(form);
    auto* label = qobject_cast<QLabel*>(controls::qt::WidgetOf(form.Label1));
    EXPECT_EQ(window->windowTitle(), "Capture Individual Window");
    EXPECT_EQ(window->size(), QSize(249, 58));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "not resizable";
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(label->text(),
              "Open up the window you wish to capture, then press Shift+Print Screen");
    EXPECT_EQ(label->geometry(), QRect(8, 8, 241, 41));
    EXPECT_TRUE(label->wordWrap());

    // Its close box unloads it; the next use makes a new one.
    form.Show();
    window->close();
    EXPECT_EQ(app::DefaultForm<Form2>::IfLoaded(), nullptr);
    controls::DoEvents();
}

TEST(CaptureSize, FitsSixteenBitsOrIsRefused) {
    EXPECT_EQ(capture::CaptureSizeOf({}).value().width, 0);
    const auto size = capture::CaptureSizeOf({-5, -7, 95, 193});
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 100);
    EXPECT_EQ(size->height, 200);
    EXPECT_FALSE(capture::CaptureSizeOf({0, 0, 32768, 1}));
    EXPECT_FALSE(capture::CaptureSizeOf({0, 0, 1, 32768}));
    EXPECT_FALSE(capture::CaptureSizeOf({10, 0, 5, 1}));
    // A subtraction beyond 32 bits is refused, not wrapped.
    EXPECT_FALSE(capture::CaptureSizeOf({INT32_MIN, 0, INT32_MAX, 1}));
}

}  // namespace
