#pragma once
// A command button: a push button with a caption. The form's default button
// answers Enter, its cancel button Esc.

#include <functional>
#include <string>
#include <string_view>

#include "platform/controls/control.h"

namespace controls {

class CommandButton : public Control {
  public:
    CommandButton(Control& container, std::string_view caption);

    std::string Caption() const;
    // Enter anywhere on the form presses the default button.
    void setDefault(bool isDefault);
    // Esc anywhere on the form presses the cancel button.
    void setCancel(bool isCancel);

    std::function<void()> Click;
};

}  // namespace controls
