#pragma once
// The one way a capture is taken from the screen, for the window program
// and the command line alike: a display context, a memory context and a
// bitmap of the capture's size, and the pixels copied in. Nothing here
// needs Qt.

#include <optional>
#include <string>

#include "platform/raster/gdi.h"

namespace capture {

// What a grab made. The caller owns the three handles.
struct ScreenGrab {
    raster::HDC screen = 0;
    raster::HDC memory = 0;
    raster::HBITMAP bitmap = 0;
};

// Copies the width x height pixels at (x, y) of the screen into a new
// bitmap; parts off the screen come out black. Empty, with nothing left
// allocated and the reason in `error`, when there is no memory for the
// picture or the screen cannot be read.
std::optional<ScreenGrab> GrabScreen(int x, int y, int width, int height, std::string& error);

// GrabScreen in two steps, for a caller that waits before it reads: the
// handles and a width x height bitmap with its memory in place, and the
// screen source's transfer memory for such a read, all made now, so that
// ReadScreenInto afterwards only copies. Empty, with the reason in `error`,
// when there is no memory for the picture.
std::optional<ScreenGrab> PrepareGrab(int width, int height, std::string& error);

// Copies the width x height pixels at (x, y) of the screen into a grab from
// PrepareGrab of that size. On failure releases the grab and says why.
bool ReadScreenInto(const ScreenGrab& grab, int x, int y, int width, int height,
                    std::string& error);

// Deletes a grab's three handles.
void ReleaseGrab(const ScreenGrab& grab);

}  // namespace capture
