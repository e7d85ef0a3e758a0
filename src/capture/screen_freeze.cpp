#include "capture/screen_freeze.h"

#include <string>

#include "platform/controls/message_box.h"
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

void ShowScreenNotCaptured(const controls::Control* owner, const QString& why) {
    controls::ShowMessage(
        owner, controls::MessageIcon::Warning, "Tessarine",
        QString("The screen could not be captured: %1. The previous capture is kept.")
            .arg(why)
            .toStdString());
}

}  // namespace capture
