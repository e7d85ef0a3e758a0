#include "capture/frozen_scale.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/backend.h"
#include "platform/x11/monitor_pixels.h"

namespace capture {

FrozenScale FrozenScreenScale(int windowWidth, int windowHeight, int screenWidth,
                              int screenHeight) {
    if (!platform::CurrentBackend()->screenInDevicePixels() || windowWidth <= 0 ||
        windowHeight <= 0 || screenWidth <= 0 || screenHeight <= 0) {
        return {};
    }
    if (const double scale = platform::CurrentBackend()->compositorScale(); scale > 0) {
        return {scale, scale};
    }
    return {static_cast<double>(screenWidth) / windowWidth,
            static_cast<double>(screenHeight) / windowHeight};
}

QRect WaylandDesktopArea() {
    if (!platform::CurrentBackend()->screenInDevicePixels()) {
        return {};
    }
    // The X screen spans every output as the compositor lays them out; the
    // toolkit's monitors may fall a pixel or two short of it.
    if (const QSize root = platform::RootWindowSize(); !root.isEmpty()) {
        return QRect(QPoint(0, 0), root);
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect();
}

}  // namespace capture
