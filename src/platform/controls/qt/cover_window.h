#pragma once
// Placing a window of Form's CoverScreen style over exactly its part of the
// screen.

class QWidget;

namespace controls {
struct ScreenArea;
}

namespace controls::qt {

// Before the window shows: its screen, its size in the toolkit's units and
// its hints.
void PrepareCover(QWidget* window, QWidget* client, const ScreenArea& area);
// Once it shows: the window over exactly the area's pixels, which the
// toolkit's units may not reach (1024 pixels at 1.5 are 682.67 units), and
// the client area over all of them.
void FinishCover(QWidget* window, QWidget* client, const ScreenArea& area);

}  // namespace controls::qt
