// The preview-style options and the redraw after a layout change.

#include "platform/controls/picture_box.h"
#include "program/do_events.h"
#include "program/variables.h"
#include "ui/main/form1.h"
#include "ui/preview/preview_redraw.h"

void Form1::opActual_Click() {
    RedrawPreviewAfterLayout();
}

void Form1::opStretch_Click() {
    RedrawPreviewAfterLayout();
}

void Form1::RedrawPreviewAfterLayout() {
    preview::ShowCapture(picpreview, opStretch.Value());
}
