#pragma once

namespace app {

// For tests and debugging only, and only when the environment variable
// TESSARINE_DEBUG_HANDLES is set: on SIGUSR1 the program prints
//     handles: N
// on stderr, N being the raster layer's live contexts and bitmaps. Without
// the variable this does nothing and SIGUSR1 keeps its default action.
//
// The signal handler only writes a byte to a pipe; the count is read and
// printed from the event loop, where the raster layer may be used.
void InstallHandleReport();

}  // namespace app
