#pragma once
// Yielding to the event loop and the plain pause the capture paths use.

namespace app {

// Lets every pending window event run to completion, then returns.
void DoEvents();
void Sleep(int milliseconds);

}  // namespace app
