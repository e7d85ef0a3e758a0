#pragma once
// `tessarine --hot-key NAME`: the press handed to the running window
// program over the session bus.

#include <string>

namespace app {

// Says on standard error why the press could not be handed over; returns
// the exit status. Starts Qt's core application when none runs.
int HandHotKeyOver(const std::string& name);

}  // namespace app
