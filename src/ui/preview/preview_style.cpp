// The preview-style options and the redraw after a layout change.

#include <QRadioButton>

#include "platform/controls/picture_box.h"
#include "program/do_events.h"
#include "program/variables.h"
#include "ui/main/form1.h"
#include "ui/preview/preview_redraw.h"

void Form1::opActual_Click() {
    picpreview->Cls();
    app::DoEvents();
    preview::DrawActual(*picpreview, variables::CaptureWidth, variables::CaptureHeight);
    picpreview->Refresh();
}

void Form1::opStretch_Click() {
    picpreview->Cls();
    app::DoEvents();
    preview::DrawStretched(*picpreview, picpreview->ScaleWidth(), picpreview->ScaleHeight());
    picpreview->Refresh();
}

void Form1::RedrawPreviewAfterLayout() {
    if (opStretch->isChecked()) {
        preview::DrawStretched(*picpreview, picpreview->ScaleWidth(), picpreview->ScaleHeight());
    }
    if (opActual->isChecked()) {
        preview::DrawActual(*picpreview, variables::CaptureWidth, variables::CaptureHeight);
    }
    picpreview->Refresh();
}
