#pragma once
// A flat command button that raises itself under the pointer, as on the
// toolbars of classic desktop programs. Click carries one argument that
// handlers are free to ignore.

#include <functional>
#include <string_view>

#include "platform/controls/control.h"

namespace controls {

class PopupButton : public Control {
  public:
    PopupButton(Control& container, std::string_view caption);

    // When true the button keeps its raised look, marking that its command
    // has completed; the next press clears it.
    bool Highlight() const;
    void setHighlight(bool on);

    std::function<void(int argument)> Click;
};

}  // namespace controls
