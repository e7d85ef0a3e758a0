#include "capture/frozen_scale.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/backend.h"

namespace capture {

FrozenScale FrozenScreenScale(int windowWidth, int windowHeight, int screenWidth,
                              int screenHeight) {
    if (!platform::CurrentBackend()->screenInDevicePixels() || windowWidth <= 0 ||
        windowHeight <= 0 || screenWidth <= 0 || screenHeight <= 0) {
        return {};
    }
    return {static_cast<double>(screenWidth) / windowWidth,
            static_cast<double>(screenHeight) / windowHeight};
}

QRect WaylandDesktopArea() {
    if (!platform::CurrentBackend()->screenInDevicePixels()) {
        return {};
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect();
}

}  // namespace capture
