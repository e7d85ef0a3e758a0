#include "capture/frozen_scale.h"

#include <QGuiApplication>
#include <QScreen>

#include "app/session_backends.h"

namespace capture {

FrozenScale FrozenScreenScale(int windowWidth, int windowHeight, int screenWidth,
                              int screenHeight) {
    if (app::Session() != platform::SessionKind::Wayland || windowWidth <= 0 || windowHeight <= 0 ||
        screenWidth <= 0 || screenHeight <= 0) {
        return {};
    }
    return {static_cast<double>(screenWidth) / windowWidth,
            static_cast<double>(screenHeight) / windowHeight};
}

QRect WaylandDesktopArea() {
    if (app::Session() != platform::SessionKind::Wayland) {
        return {};
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect();
}

}  // namespace capture
