#pragma once
// A frame: a box drawn around a group of controls built on it. Option
// buttons on one frame form a group of their own. Mouse moves over the
// frame's own area (not over a control on it) reach MouseMove.

#include <functional>
#include <string_view>

#include "platform/controls/control.h"

namespace controls {

class Frame : public Control {
  public:
    Frame(Control& container, std::string_view caption);

    std::function<void(int button, int shift, float x, float y)> MouseMove;
};

}  // namespace controls
