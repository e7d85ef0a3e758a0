// The region capture's start: hide the main window, freeze the screen into
// the capture buffer and cover the screen with the selection window, on
// which the user drags the rectangle to keep (frmSelect).

#include "base/rounding.h"
#include "capture/capture_presses.h"
#include "capture/frm_select.h"
#include "capture/frozen_scale.h"
#include "capture/region_buffer.h"
#include "capture/screen_freeze.h"
#include "capture/screen_grab.h"
#include "platform/controls/event_pump.h"
#include "platform/controls/picture_box.h"
#include "platform/raster/handle_release.h"
#include "program/default_form.h"
#include "program/do_events.h"
#include "program/screen_size.h"
#include "program/variables.h"
#include "ui/main/form1.h"

void Form1::mnuselscreen_Click() {
    capture::CaptureRunning running;
    raster::OperationScope operation;
    variables::SaveNameKnown = false;
    Hide();
    controls::DoEvents();
    app::Sleep(100);
    if (const std::string why = capture::FreezeScreen(); !why.empty()) {
        setVisible(true);
        capture::ShowScreenNotCaptured(this, why);
        return;
    }
    // Measured on the frozen screen: a portal's screenshot has the size of
    // the desktop in device pixels.
    const app::ScreenPixels screen = app::ScreenPixelSize();

    std::string why;
    const std::optional<capture::ScreenGrab> snapshot = capture::GrabScreen(
        0, 0, base::ToInt32OrZero(screen.width), base::ToInt32OrZero(screen.height), why);
    if (!snapshot) {
        setVisible(true);
        capture::ShowScreenNotCaptured(this, why);
        return;
    }
    raster::ReplaceContext(ScreenDC, snapshot->screen);
    // The buffer that was current is kept aside until the selection ends:
    // a cancelled selection puts it back. The sizes stay the old capture's.
    capture::StoreSelectionSnapshot(snapshot->memory, snapshot->bitmap);
    controls::DoEvents();

    app::DefaultForm<frmSelect>::Get().Show();
    controls::DoEvents();

    // The selection may already have ended inside the yield. The picture
    // shows the snapshot in the buffer itself (frmSelect's load).
    if (frmSelect* select = app::DefaultForm<frmSelect>::IfLoaded()) {
        controls::PictureBox& picture = select->Picture1;
        if (const capture::FrozenScale scale = select->frozenScale(); !scale.isOne()) {
            // Device pixels shown on a window measured in logical ones, at
            // the scale a drag maps back with: a point shows the pixels it
            // selects.
            raster::SetStretchBltMode(picture.hDC(), raster::HALFTONE);
            raster::StretchBlt(picture.hDC(), 0, 0, picture.ScaleWidth(), picture.ScaleHeight(),
                               variables::CaptureDC, 0, 0,
                               static_cast<int>(std::lround(picture.ScaleWidth() * scale.x)),
                               static_cast<int>(std::lround(picture.ScaleHeight() * scale.y)),
                               raster::SRCCOPY);
        }
        picture.Refresh();
    } else {
        setVisible(true);
    }
}
