#pragma once
// A short text beside the mouse pointer, white on a translucent black box,
// over its container's other controls. It lets the mouse through and starts
// hidden.

#include <string_view>

#include "platform/controls/control.h"

namespace controls {

class PointerLabel : public Control {
  public:
    explicit PointerLabel(Control& container);

    // Shows `text` below and to the right of the pointer, or on the other
    // side of it where the container ends.
    void ShowBesidePointer(std::string_view text);
};

}  // namespace controls
