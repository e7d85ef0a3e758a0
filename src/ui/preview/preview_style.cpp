// The preview-style options and the redraw after a layout change.

#include "app/variables.h"
#include "platform/controls/event_pump.h"
#include "platform/controls/picture_box.h"
#include "ui/main/form1.h"
#include "ui/preview/preview_redraw.h"

void Form1::opActual_Click() {
    picpreview.Cls();
    controls::DoEvents();
    preview::DrawActual(picpreview, variables::CaptureWidth, variables::CaptureHeight);
    picpreview.Refresh();
}

void Form1::opStretch_Click() {
    picpreview.Cls();
    controls::DoEvents();
    preview::DrawStretched(picpreview, picpreview.ScaleWidth(), picpreview.ScaleHeight());
    picpreview.Refresh();
}

void Form1::RedrawPreviewAfterLayout() {
    if (opStretch.Value()) {
        preview::DrawStretched(picpreview, picpreview.ScaleWidth(), picpreview.ScaleHeight());
    }
    if (opActual.Value()) {
        preview::DrawActual(picpreview, variables::CaptureWidth, variables::CaptureHeight);
    }
    picpreview.Refresh();
}
