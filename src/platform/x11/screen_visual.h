#pragma once
// Whether the toolkit can draw windows on the X screen it opened: it paints
// in true colour only, and a screen with a colour map of 256 entries
// (PseudoColor, depth 8) crashes it at its first paint.

#include <string>

namespace platform {

// Why the toolkit's windows cannot be drawn on its X screen ("the X screen
// has an 8-bit PseudoColor visual, ..."), or empty when they can or the
// program does not run on X11.
std::string ScreenTheToolkitCannotDraw();

}  // namespace platform
