#pragma once
// The program's side of the toolkit's event loop.

#include <functional>

namespace controls {

// Lets every pending window event run to completion, then returns.
void DoEvents();
// Runs `job` once control is back in the event loop (a form that unloads
// itself from its own handler is deleted this way).
void PostToEventLoop(std::function<void()> job);
// Runs the event loop until QuitEventLoop; returns its code.
int RunEventLoop();
// Ends the event loop, and with it the program, with `code`.
void QuitEventLoop(int code);

}  // namespace controls
