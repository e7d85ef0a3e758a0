// The foreground-window capture: copy the rectangle of the window in front,
// frame and title bar included, from the screen into a new capture buffer
// and show it in the preview. The main window stays where it is.

#include <QRadioButton>

#include "app/default_form.h"
#include "app/do_events.h"
#include "app/variables.h"
#include "base/rounding.h"
#include "capture/capture_presses.h"
#include "capture/foreground_window.h"
#include "capture/form2.h"
#include "capture/screen_freeze.h"
#include "platform/controls/message_box.h"
#include "platform/controls/picture_box.h"
#include "platform/raster/handle_release.h"
#include "ui/main/form1.h"

void Form1::mnuWindow_Click() {
    app::DefaultForm<Form2>::Get().show();
}

void Form1::WSHK_HotKeyPressed() {
    capture::CaptureRunning running;
    raster::OperationScope operation;

    variables::SaveNameKnown = false;
    picpreview->Cls();
    app::DoEvents();
    // The instructions must not be in the picture, nor be the window in front.
    app::DefaultForm<Form2>::Get().hide();

    const std::shared_ptr<platform::Backend> backend = platform::CurrentBackend();
    if (!backend->knowsForegroundWindow()) {
        RedrawPreviewAfterLayout();
        controls::ShowMessage(this, QMessageBox::Warning, "Tessarine",
                              "This desktop does not let programs find the window in front, so "
                              "Shift+Print Screen cannot capture it. Capture Selection can take "
                              "it instead: drag a rectangle over the window. The previous capture "
                              "is kept.");
        return;
    }
    const HWND window = backend->foregroundWindow();
    RECT rect;
    if (window == 0 || !backend->windowRect(window, &rect)) {
        // No window manager, or the pointer's window has the focus, or the
        // window went away, or the desktop did not answer: there is nothing
        // to capture, and an empty capture in place of the current one
        // would lose it.
        RedrawPreviewAfterLayout();
        const std::string why = backend->windowQueryFailure();
        controls::ShowMessage(
            this, QMessageBox::Warning, "Tessarine",
            !why.empty() ? QString("The window in front cannot be found (%1); the "
                                   "previous capture is kept.")
                               .arg(QString::fromStdString(why))
            : window == 0 ? QString("No window is in the foreground, so nothing "
                                    "was captured; the previous capture is kept.")
                          : QString("The window in front closed before it could "
                                    "be captured; the previous capture is kept."));
        return;
    }

    // Refused before anything is replaced: the previous capture stays, and
    // the preview shows it again.
    const std::optional<capture::CaptureSize> size = capture::CaptureSizeOf(rect);
    if (!size) {
        const long long width = static_cast<long long>(rect.right) - rect.left;
        const long long height = static_cast<long long>(rect.bottom) - rect.top;
        RedrawPreviewAfterLayout();
        controls::ShowMessage(this, QMessageBox::Warning, "Tessarine",
                              QString("The window in front is %1 x %2 pixels. A capture can be at "
                                      "most %3 pixels wide and %3 pixels high, so the window was "
                                      "not captured; the previous capture is kept.")
                                  .arg(width)
                                  .arg(height)
                                  .arg(capture::kMaxCaptureSide));
        return;
    }
    // The window is read from a still picture of the whole screen where the
    // screen comes only whole; a refusal keeps the previous capture.
    if (const QString why = capture::FreezeScreen(); !why.isEmpty()) {
        RedrawPreviewAfterLayout();
        capture::ShowScreenNotCaptured(this, why);
        return;
    }
    const int width = size->width;
    const int height = size->height;
    variables::CaptureWidth = static_cast<std::int16_t>(width);
    variables::CaptureHeight = static_cast<std::int16_t>(height);
    app::DoEvents();

    raster::ReplaceContext(ScreenDC, CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    raster::ReplaceContext(variables::CaptureDC, CreateCompatibleDC(ScreenDC));
    raster::ReplaceBitmap(variables::CaptureBitmap,
                          CreateCompatibleBitmap(ScreenDC, width, height));
    SelectObject(variables::CaptureDC, variables::CaptureBitmap);
    // From the screen, not from the window: whatever covers it is captured,
    // and parts off the screen come out black.
    BitBlt(variables::CaptureDC, 0, 0, width, height, ScreenDC, rect.left, rect.top, SRCCOPY);
    app::DoEvents();

    if (opStretch->isChecked()) {
        StretchBlt(picpreview->hDC(), 0, 0, base::ToInt32OrZero(picpreview->ScaleWidth()),
                   base::ToInt32OrZero(picpreview->ScaleHeight()), variables::CaptureDC, 0, 0,
                   width, height, SRCCOPY);
        picpreview->Refresh();
    }
    if (opActual->isChecked()) {
        BitBlt(picpreview->hDC(), 0, 0, width, height, variables::CaptureDC, 0, 0, SRCCOPY);
        picpreview->Refresh();
    }
}
