#pragma once
// The end of the program when its X display goes away (the server ended or
// the network failed): nothing on screen can be shown or read any more, so
// the program says so on stderr and ends at once with status 1. It skips
// destructors and exit handlers on purpose: they would talk to the dead
// connection, and a failure there would end in a core dump instead.

// No xcb header here: code outside the platform layer includes this.
struct xcb_connection_t;

namespace platform {

[[noreturn]] void DisplayLost();

// Calls DisplayLost() when `connection` has failed for good.
void EndIfDisplayLost(xcb_connection_t* connection);

}  // namespace platform
