#pragma once
// The monitors of the toolkit's X display in screen pixels, for windows
// that must cover one monitor exactly where the toolkit's own units (a
// scale factor per monitor) cannot say where its edge lies.

#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

class QWindow;

namespace platform {

struct MonitorPixels {
    QString name;
    QRect pixels;
};

// The RandR monitors; empty when the program does not run on X11 or the
// server does not answer.
std::vector<MonitorPixels> MonitorPixelRects();

// The size of the X screen's root window; empty when the program does not
// run on X11.
QSize RootWindowSize();

// Moves and sizes a shown window that bypasses the window manager to
// exactly `pixels`. Does nothing when the program does not run on X11.
void PlaceInScreenPixels(QWindow* window, const QRect& pixels);

}  // namespace platform
