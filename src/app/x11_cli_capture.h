#pragma once
// The capture from the command line in an X11 session.

#include "cli/command_line.h"

namespace app {

// Connects to $DISPLAY, waits the request's delay, captures and writes the
// file (see RunCaptureWithBackend).
int RunCommandLineCapture(const CaptureRequest& request);

}  // namespace app
