#pragma once

namespace app {

// Makes the end of the X connection the program's own clear exit (see
// platform/x11/display_lost.h) instead of the toolkit's warning and exit
// with every destructor running against the dead connection. Other
// messages go on to the handler that was installed before.
void InstallLostDisplayHandler();

}  // namespace app
