#include "capture/screen_freeze.h"

#include <string>

#include "platform/controls/message_box.h"
#include "platform/raster/raster.h"
#include "program/variables.h"

namespace capture {

std::string FreezeScreen() {
    const auto source = raster::CurrentScreenSource();
    if (!source) {
        return "there is no screen to read";
    }
    return source->freeze();
}

void ShowScreenNotCaptured(const controls::Control* owner, const std::string& why) {
    controls::ShowMessage(
        owner, controls::MessageIcon::Warning, "Tessarine",
        "The screen could not be captured: " + why + ". The previous capture is kept.");
}

}  // namespace capture
