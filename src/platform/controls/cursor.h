#pragma once
// The mouse pointer, as controls see it.

#include "platform/controls/control.h"

namespace controls {

// Whether the pointer lies over the control now.
bool PointerIsOver(const Control& control);

}  // namespace controls
