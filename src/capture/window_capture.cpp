// The foreground-window capture: copy the rectangle of the window in front,
// frame and title bar included, from the screen into a new capture buffer
// and show it in the preview. The main window stays where it is.

#include <QRadioButton>

#include "base/rounding.h"
#include "capture/capture_presses.h"
#include "capture/foreground_window.h"
#include "capture/form2.h"
#include "capture/screen_freeze.h"
#include "capture/window_in_front.h"
#include "platform/controls/message_box.h"
#include "platform/controls/picture_box.h"
#include "platform/raster/handle_release.h"
#include "program/default_form.h"
#include "program/do_events.h"
#include "program/variables.h"
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

    using Outcome = capture::WindowInFront::Outcome;
    const capture::WindowInFront found = capture::FindWindowInFront(*platform::CurrentBackend());
    if (found.outcome != Outcome::Found) {
        // Refused before anything is replaced: the previous capture stays,
        // and the preview shows it again.
        RedrawPreviewAfterLayout();
        QString text;
        switch (found.outcome) {
            case Outcome::DesktopCannotTell:
                text =
                    "This desktop does not let programs find the window in front, so "
                    "Shift+Print Screen cannot capture it. Capture Selection can take it "
                    "instead: drag a rectangle over the window. The previous capture is kept.";
                break;
            case Outcome::NotFound:
            case Outcome::NotMeasured:
                text = QString(
                           "The window in front cannot be found (%1); the previous capture "
                           "is kept.")
                           .arg(QString::fromStdString(found.why));
                break;
            case Outcome::NoWindow:
                // No window manager, or the pointer's window has the focus.
                text =
                    "No window is in the foreground, so nothing was captured; the previous "
                    "capture is kept.";
                break;
            case Outcome::Gone:
                text =
                    "The window in front closed before it could be captured; the previous "
                    "capture is kept.";
                break;
            case Outcome::NoCaptureSize:
                text = QString(
                           "The window in front is %1 x %2 pixels. A capture can be at most "
                           "%3 pixels wide and %3 pixels high, and at least 1, so the window "
                           "was not captured; the previous capture is kept.")
                           .arg(found.width())
                           .arg(found.height())
                           .arg(capture::kMaxCaptureSide);
                break;
            case Outcome::Found:
                break;
        }
        controls::ShowMessage(this, QMessageBox::Warning, "Tessarine", text);
        return;
    }
    const platform::RECT rect = found.rect;
    // The window is read from a still picture of the whole screen where the
    // screen comes only whole; a refusal keeps the previous capture.
    if (const QString why = capture::FreezeScreen(); !why.isEmpty()) {
        RedrawPreviewAfterLayout();
        capture::ShowScreenNotCaptured(this, why);
        return;
    }
    const int width = found.size.width;
    const int height = found.size.height;
    // From the screen, not from the window: whatever covers it is captured,
    // and parts off the screen come out black.
    std::string why;
    const std::optional<capture::ScreenGrab> grab =
        capture::GrabScreen(rect.left, rect.top, width, height, why);
    if (!grab) {
        RedrawPreviewAfterLayout();
        capture::ShowScreenNotCaptured(this, QString::fromStdString(why));
        return;
    }
    variables::CaptureWidth = static_cast<std::int16_t>(width);
    variables::CaptureHeight = static_cast<std::int16_t>(height);
    app::DoEvents();
    capture::StoreGrab(ScreenDC, *grab);
    app::DoEvents();

    if (opStretch->isChecked()) {
        raster::StretchBlt(picpreview->hDC(), 0, 0, base::ToInt32OrZero(picpreview->ScaleWidth()),
                           base::ToInt32OrZero(picpreview->ScaleHeight()), variables::CaptureDC, 0,
                           0, width, height, raster::SRCCOPY);
        picpreview->Refresh();
    }
    if (opActual->isChecked()) {
        raster::BitBlt(picpreview->hDC(), 0, 0, width, height, variables::CaptureDC, 0, 0,
                       raster::SRCCOPY);
        picpreview->Refresh();
    }
}
