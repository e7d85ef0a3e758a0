#include "ui/preview/preview_redraw.h"

#include "platform/controls/picture_box.h"
#include "program/variables.h"

namespace preview {

void DrawStretched(controls::PictureBox& pane, int width, int height) {
    raster::StretchBlt(pane.hDC(), 0, 0, width, height, variables::CaptureDC, 0, 0,
                       variables::CaptureWidth, variables::CaptureHeight, raster::SRCCOPY);
}

void DrawActual(controls::PictureBox& pane, int width, int height) {
    raster::BitBlt(pane.hDC(), 0, 0, width, height, variables::CaptureDC, 0, 0, raster::SRCCOPY);
}

}  // namespace preview
