#include "capture/screen_freeze.h"

#include <string>

#include "platform/controls/message_box.h"
#include "platform/raster/handle_release.h"
#include "platform/raster/raster.h"
#include "program/variables.h"

namespace capture {

QString FreezeScreen() {
    const auto source = raster::CurrentScreenSource();
    if (!source) {
        return "there is no screen to read";
    }
    return QString::fromStdString(source->freeze());
}

void ShowScreenNotCaptured(QWidget* parent, const QString& why) {
    controls::ShowMessage(
        parent, QMessageBox::Warning, "Tessarine",
        QString("The screen could not be captured: %1. The previous capture is kept.").arg(why));
}

void StoreGrab(raster::HDC& screenDC, const ScreenGrab& grab) {
    raster::ReplaceContext(screenDC, grab.screen);
    raster::ReplaceContext(variables::CaptureDC, grab.memory);
    raster::ReplaceBitmap(variables::CaptureBitmap, grab.bitmap);
}

}  // namespace capture
