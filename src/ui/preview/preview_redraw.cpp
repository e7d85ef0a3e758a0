#include "ui/preview/preview_redraw.h"

#include "platform/controls/picture_box.h"
#include "program/variables.h"

namespace preview {

void ShowCapture(controls::PictureBox& pane, bool stretched) {
    // No yield between clearing and drawing: the pane would show blank for
    // a moment, and another handler could run in the middle of the redraw.
    pane.Cls();
    if (stretched) {
        raster::StretchBlt(pane.hDC(), 0, 0, pane.ScaleWidth(), pane.ScaleHeight(),
                           variables::CaptureDC, 0, 0, variables::CaptureWidth,
                           variables::CaptureHeight, raster::SRCCOPY);
    } else {
        raster::BitBlt(pane.hDC(), 0, 0, variables::CaptureWidth, variables::CaptureHeight,
                       variables::CaptureDC, 0, 0, raster::SRCCOPY);
    }
    pane.Refresh();
}

}  // namespace preview
