// The full-screen capture: hide the main window, let the screen repaint,
// copy it into a new capture buffer and come back with the preview drawn.

#include <QMessageBox>
#include <QRadioButton>

#include "app/do_events.h"
#include "app/screen_size.h"
#include "app/variables.h"
#include "base/rounding.h"
#include "capture/capture_presses.h"
#include "capture/screen_freeze.h"
#include "capture/visible_on_exit.h"
#include "platform/controls/picture_box.h"
#include "platform/raster/handle_release.h"
#include "ui/main/form1.h"
#include "ui/preview/preview_redraw.h"

void Form1::mnuScreen_Click() {
    capture::CaptureRunning running;
    raster::OperationScope operation;
    capture::VisibleOnExit restore(*this);

    variables::SaveNameKnown = false;
    picpreview->Cls();
    app::DoEvents();
    hide();
    setVisible(false);
    app::DoEvents();
    app::DoEvents();
    app::Sleep(100);
    if (const QString why = capture::FreezeScreen(); !why.isEmpty()) {
        setVisible(true);
        RedrawPreviewAfterLayout();
        capture::ShowScreenNotCaptured(this, why);
        return;
    }

    const int width = base::ToInt32OrZero(app::ScreenPixelWidth());
    const int height = base::ToInt32OrZero(app::ScreenPixelHeight());
    std::string why;
    const std::optional<capture::ScreenGrab> grab = capture::GrabScreen(0, 0, width, height, why);
    if (!grab) {
        setVisible(true);
        RedrawPreviewAfterLayout();
        capture::ShowScreenNotCaptured(this, QString::fromStdString(why));
        return;
    }
    capture::StoreGrab(ScreenDC, *grab);
    // An X screen is at most 32767 pixels either way, so both sizes fit.
    variables::CaptureWidth = base::ToInt16(width).value_or(0);
    variables::CaptureHeight = base::ToInt16(height).value_or(0);

    if (opActual->isChecked()) {
        app::DoEvents();
        preview::DrawActual(*picpreview, width, height);
        app::DoEvents();
        show();
        picpreview->Refresh();
    }
    if (opStretch->isChecked()) {
        hide();
        app::DoEvents();
        preview::DrawStretched(*picpreview, picpreview->ScaleWidth(), picpreview->ScaleHeight());
        app::DoEvents();
        show();
        picpreview->Refresh();
    }
    setVisible(true);
}
