#pragma once
// Makes a window visible again when a capture handler returns, on every
// path: a capture that fails part-way must not leave the main window hidden.

#include "platform/controls/control.h"

namespace capture {

class VisibleOnExit {
  public:
    explicit VisibleOnExit(controls::Control& window) : window_(window) {}
    ~VisibleOnExit() { window_.setVisible(true); }
    VisibleOnExit(const VisibleOnExit&) = delete;
    VisibleOnExit& operator=(const VisibleOnExit&) = delete;

  private:
    controls::Control& window_;
};

}  // namespace capture
