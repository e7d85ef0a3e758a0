#pragma once
// An option button: of the option buttons on one container, one at a time
// is on. Click follows the user's choice; setting Value from the program
// raises no Click.

#include <functional>
#include <string_view>

#include "platform/controls/control.h"

namespace controls {

class OptionButton : public Control {
  public:
    OptionButton(Control& container, std::string_view caption);

    bool Value() const;
    void setValue(bool on);

    std::function<void()> Click;
};

}  // namespace controls
