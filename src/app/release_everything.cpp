#include "app/release_everything.h"

#include "platform/raster/handle_release.h"
#include "program/variables.h"
#include "ui/main/form1.h"

namespace app {

void ReleaseEverything(Form1* form) {
    raster::DeleteDC(variables::CaptureDC);
    raster::DeleteObject(variables::CaptureBitmap);
    raster::DeleteDC(variables::SelectionScreenDC);
    if (form) {
        raster::DeleteDC(form->ScreenDC);
        form->ScreenDC = 0;
    }
    variables::Reset();
    raster::ReleaseRetired();
}

}  // namespace app
