// The full-screen capture: hide the main window, let the screen repaint,
// copy it into a new capture buffer and come back with the preview drawn.
// The buffer is made while the screen repaints, so that after the pause
// there is only the copy to do.

#include <chrono>

#include "base/rounding.h"
#include "capture/capture_buffer.h"
#include "capture/capture_presses.h"
#include "capture/screen_freeze.h"
#include "capture/visible_on_exit.h"
#include "platform/controls/event_pump.h"
#include "platform/controls/picture_box.h"
#include "platform/raster/handle_release.h"
#include "program/do_events.h"
#include "program/screen_size.h"
#include "program/variables.h"
#include "ui/main/form1.h"

void Form1::mnuScreen_Click() {
    capture::CaptureRunning running;
    raster::OperationScope operation;
    capture::VisibleOnExit restore(*this);

    variables::SaveNameKnown = false;
    picpreview.Cls();
    controls::DoEvents();
    Hide();
    setVisible(false);
    controls::DoEvents();
    controls::DoEvents();
    const auto pauseEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    // Made for the screen's size now; a size that has changed by the end of
    // the pause (or a whole-screen picture of another size) gets a new one.
    const app::ScreenPixels before = app::ScreenPixelSize();
    const int preparedWidth = base::ToInt32OrZero(before.width);
    const int preparedHeight = base::ToInt32OrZero(before.height);
    std::string error;
    std::optional<capture::ScreenGrab> grab =
        capture::PrepareGrab(preparedWidth, preparedHeight, error);
    struct ReleaseUnlessKept {
        std::optional<capture::ScreenGrab>& grab;
        ~ReleaseUnlessKept() {
            if (grab) {
                capture::ReleaseGrab(*grab);
            }
        }
    } releaseUnlessKept{grab};
    app::SleepUntil(pauseEnd);
    if (const std::string why = capture::FreezeScreen(); !why.empty()) {
        setVisible(true);
        RedrawPreviewAfterLayout();
        capture::ShowScreenNotCaptured(this, why);
        return;
    }

    const app::ScreenPixels screen = app::ScreenPixelSize();
    const int width = base::ToInt32OrZero(screen.width);
    const int height = base::ToInt32OrZero(screen.height);
    if (grab && (width != preparedWidth || height != preparedHeight)) {
        capture::ReleaseGrab(*grab);
        grab.reset();
    }
    if (!grab) {
        grab = capture::GrabScreen(0, 0, width, height, error);
    } else if (!capture::ReadScreenInto(*grab, 0, 0, width, height, error)) {
        grab.reset();  // already released
    }
    if (!grab) {
        setVisible(true);
        RedrawPreviewAfterLayout();
        capture::ShowScreenNotCaptured(this, error);
        return;
    }
    // An X screen is at most 32767 pixels either way, so both sizes fit.
    capture::StoreGrab(ScreenDC, *grab, base::ToInt16(width).value_or(0),
                       base::ToInt16(height).value_or(0));
    grab.reset();  // kept as the capture

    RedrawPreviewAfterLayout();
    setVisible(true);
}
