// The crop tool: arm it, drag a band on the preview pane, and the capture is
// replaced by the part of it that the band covers.

#include "base/rounding.h"
#include "capture/capture_buffer.h"
#include "platform/controls/message_box.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/popup_button.h"
#include "platform/controls/rectangle_shape.h"
#include "platform/raster/handle_release.h"
#include "program/do_events.h"
#include "program/variables.h"
#include "ui/main/form1.h"
#include "ui/preview/crop_mapping.h"

namespace {

const char* RefusalText(preview::CropRefusal refusal) {
    switch (refusal) {
        case preview::CropRefusal::TooLarge:
            return "The rectangle is too large to crop to: a capture can be at most 32767 pixels "
                   "wide and 32767 pixels high. The capture is unchanged.";
        case preview::CropRefusal::EmptyPane:
            return "The preview has no area to crop on. Make the window larger and try again. The "
                   "capture is unchanged.";
        case preview::CropRefusal::Overflow:
            break;
    }
    return "The rectangle cannot be mapped onto the capture: the numbers are too large. The "
           "capture is unchanged.";
}

}  // namespace

void Form1::cmdCrop_Click() {
    variables::CropArmed = true;
    picpreview.SetFocus();
}

void Form1::picpreview_MouseDown(int button, int, float x, float y) {
    if (button != 1) {
        return;
    }
    CropBox.setLeft(x);
    CropBox.setHeight(0);
    CropBox.setWidth(0);
    CropBox.setTop(y);
    CropBox.setVisible(true);
    // The press lies on the pane, which the window's size limit keeps far
    // inside 16-bit coordinates.
    variables::DragStartX = base::ToInt16(x).value_or(0);
    variables::DragStartY = base::ToInt16(y).value_or(0);
}

void Form1::picpreview_MouseMove(int button, int, float x, float y) {
    if (button != 1 || !variables::CropArmed) {
        return;
    }
    // Towards the left of or above the press point the size would be
    // negative: the band refuses it and keeps its last size that way.
    CropBox.setWidth(x - CropBox.Left());
    CropBox.setHeight(y - CropBox.Top());
}

void Form1::picpreview_MouseUp(int button, int, float, float) {
    if (button != 1 || !variables::CropArmed) {
        return;
    }
    raster::OperationScope operation;
    const std::int16_t oldWidth = variables::CaptureWidth;
    const std::int16_t oldHeight = variables::CaptureHeight;
    CropBox.setVisible(false);
    variables::CropArmed = false;

    // Before any capture there is nothing to cut from.
    if (variables::CaptureDC == 0 || ScreenDC == 0 || oldWidth <= 0 || oldHeight <= 0) {
        return;
    }

    const preview::Band band{CropBox.Left(), CropBox.Top(), CropBox.Width(), CropBox.Height()};
    std::optional<preview::CropMapping> mapping;
    if (opActual.Value()) {
        mapping = preview::MapActualSize(band, variables::DragStartX, variables::DragStartY);
    }
    if (opStretch.Value()) {
        mapping = preview::MapStretched(band, picpreview.ScaleWidth(), picpreview.ScaleHeight(),
                                        oldWidth, oldHeight);
    }
    if (!mapping) {
        return;
    }
    if (mapping->refused()) {
        controls::ShowMessage(this, controls::MessageIcon::Warning, "Tessarine",
                              RefusalText(mapping->refusal));
        return;
    }
    // A band without area keeps no pixel: the capture stays as it was.
    if (mapping->empty()) {
        return;
    }
    const preview::CropSource source = *mapping->source;
    // Cut straight from the old buffer, which stays valid until this
    // operation ends. Where the band reached beyond the old image nothing is
    // copied, and the new buffer is black there.
    if (!capture::CutCaptureBuffer(ScreenDC, variables::CaptureDC, base::ToInt32OrZero(source.x),
                                   base::ToInt32OrZero(source.y), source.width, source.height)) {
        controls::ShowMessage(this, controls::MessageIcon::Warning, "Tessarine",
                              "There is no memory for a " + std::to_string(source.width) + " x " +
                                  std::to_string(source.height) +
                                  " capture. The capture is unchanged.");
        return;
    }
    RedrawPreviewAfterLayout();
    cmdCrop.setHighlight(true);
}
