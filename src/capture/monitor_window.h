#pragma once
// The selection on a desktop whose monitors have different scale factors:
// the toolkit cannot place one window across monitors that measure it in
// different units, so each monitor other than the first gets a window of
// its own, showing its part of the frozen screen pixel for pixel.

#include "platform/controls/form.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/pointer_label.h"
#include "platform/controls/rectangle_shape.h"
#include "platform/controls/screen_area.h"

namespace capture {

// A window over one monitor, owned by the selection window; its picture
// shows the frozen screen from the monitor's top left. The owner answers
// its keys and its close box.
class MonitorWindow : public controls::Form {
  public:
    MonitorWindow(const controls::Form& owner, const controls::ScreenArea& monitor);

    controls::PictureBox picture{*this};
    controls::RectangleShape band{picture};
    controls::PointerLabel sizeLabel{picture};
    // The monitor's top left in screen pixels.
    const int originX;
    const int originY;
};

}  // namespace capture
