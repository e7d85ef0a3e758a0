// The region capture's start: hide the main window, freeze the screen into
// the capture buffer and cover the screen with the selection window, on
// which the user drags the rectangle to keep (frmSelect).

#include "app/default_form.h"
#include "app/do_events.h"
#include "app/rounding.h"
#include "app/screen_size.h"
#include "app/variables.h"
#include "capture/frm_select.h"
#include "capture/handle_release.h"
#include "capture/region_buffer.h"
#include "platform/controls/picture_box.h"
#include "ui/main/form1.h"

void Form1::mnuselscreen_Click() {
    capture::OperationScope operation;
    variables::SaveNameKnown = false;
    const float screenWidth = app::ScreenPixelWidth();
    const float screenHeight = app::ScreenPixelHeight();
    hide();
    app::DoEvents();
    app::Sleep(100);

    capture::ReplaceContext(ScreenDC, CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    const HDC snapshotDC = CreateCompatibleDC(ScreenDC);
    const HBITMAP snapshotBitmap = CreateCompatibleBitmap(ScreenDC, app::ToInt32OrZero(screenWidth),
                                                          app::ToInt32OrZero(screenHeight));
    SelectObject(snapshotDC, snapshotBitmap);
    // The buffer that was current is kept aside until the selection ends:
    // a cancelled selection puts it back. The sizes stay the old capture's.
    capture::StoreSelectionSnapshot(snapshotDC, snapshotBitmap);
    app::DoEvents();
    BitBlt(variables::CaptureDC, 0, 0, app::ToInt32OrZero(screenWidth),
           app::ToInt32OrZero(screenHeight), ScreenDC, 0, 0, SRCCOPY);
    app::DoEvents();

    app::DefaultForm<frmSelect>::Get().show();
    app::DoEvents();

    // The selection may already have ended inside the yield. The picture
    // shows the snapshot in the buffer itself (frmSelect's load).
    if (frmSelect* select = app::DefaultForm<frmSelect>::IfLoaded()) {
        select->Picture1->Refresh();
    } else {
        setVisible(true);
    }
}
