#include "ui/preview/preview_redraw.h"

#include "app/variables.h"
#include "platform/controls/picture_box.h"

namespace preview {

void DrawStretched(controls::PictureBox& pane, int width, int height) {
    StretchBlt(pane.hDC(), 0, 0, width, height, variables::CaptureDC, 0, 0, variables::CaptureWidth,
               variables::CaptureHeight, SRCCOPY);
}

void DrawActual(controls::PictureBox& pane, int width, int height) {
    BitBlt(pane.hDC(), 0, 0, width, height, variables::CaptureDC, 0, 0, SRCCOPY);
}

}  // namespace preview
