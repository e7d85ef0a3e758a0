#include "platform/controls/screen_area.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cmath>

#include "platform/backend.h"
#include "platform/controls/qt/cover_window.h"
#include "platform/x11/monitor_pixels.h"
#include "platform/x11/window_hints.h"

namespace controls {
namespace {

QRect RectOf(const ScreenArea& area) {
    return QRect(area.left, area.top, area.width, area.height);
}

// Where the selection goes in a Wayland session: the whole desktop as
// XWayland lays it out. Empty in an X11 session.
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

// Every monitor in screen pixels, when their scale factors are not all the
// same; empty when one window can cover them all.
std::vector<QRect> MonitorsOfMixedScales() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    bool mixed = false;
    for (QScreen* screen : screens) {
        mixed = mixed || screen->devicePixelRatio() != screens.front()->devicePixelRatio();
    }
    std::vector<QRect> monitors;
    if (!mixed) {
        return monitors;
    }
    const std::vector<platform::MonitorPixels> known = platform::MonitorPixelRects();
    for (QScreen* screen : screens) {
        // The toolkit keeps each monitor's top left where the screen has it
        // and scales only its size, rounded; the server knows it exactly.
        const QRect units = screen->geometry();
        QRect pixels(units.topLeft(), (QSizeF(units.size()) * screen->devicePixelRatio()).toSize());
        for (const platform::MonitorPixels& monitor : known) {
            if (monitor.name == screen->name() && monitor.pixels.topLeft() == units.topLeft()) {
                pixels = monitor.pixels;
            }
        }
        monitors.push_back(pixels);
    }
    return monitors;
}

// The toolkit's monitor whose top left is the area's (where the toolkit
// keeps it, see MonitorsOfMixedScales).
QScreen* MonitorOf(const ScreenArea& area) {
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().topLeft() == QPoint(area.left, area.top)) {
            return screen;
        }
    }
    return nullptr;
}

}  // namespace

std::vector<ScreenArea> AreasCoveringScreen(int screenWidth, int screenHeight) {
    if (const QRect desktop = WaylandDesktopArea(); !desktop.isEmpty()) {
        // Over every output of the Wayland desktop at once.
        return {{ScreenArea::Kind::Desktop, desktop.x(), desktop.y(), desktop.width(),
                 desktop.height()}};
    }
    std::vector<ScreenArea> areas;
    for (const QRect& monitor : MonitorsOfMixedScales()) {
        areas.push_back({ScreenArea::Kind::Monitor, monitor.x(), monitor.y(), monitor.width(),
                         monitor.height()});
    }
    if (areas.empty()) {
        areas.push_back({ScreenArea::Kind::Screen, 0, 0, screenWidth, screenHeight});
    }
    return areas;
}

namespace qt {

void PrepareCover(QWidget* window, QWidget* client, const ScreenArea& area) {
    window->winId();  // the native window, so that its hints are set before it maps
    QWindow* handle = window->windowHandle();
    switch (area.kind) {
        case ScreenArea::Kind::Desktop:
            window->setGeometry(RectOf(area));
            break;
        case ScreenArea::Kind::Monitor:
            if (QScreen* monitor = MonitorOf(area)) {
                handle->setScreen(monitor);
                window->setGeometry(monitor->geometry());
            } else {
                window->setGeometry(RectOf(area));
            }
            break;
        case ScreenArea::Kind::Screen: {
            // The window covers the X screen exactly, every monitor of it, so
            // that a point on it is the same point of the screen. The toolkit
            // places windows in its own units, which a scaled desktop makes
            // larger than a pixel; the monitor at the screen's origin sets
            // that scale.
            QScreen* origin = QGuiApplication::screenAt(QPoint(0, 0));
            if (origin) {
                handle->setScreen(origin);
            }
            const qreal ratio = origin ? origin->devicePixelRatio() : window->devicePixelRatioF();
            // The fewest units that the toolkit, rounding to the nearest
            // pixel, turns into the whole screen: at 1.25, 819 units for 1024
            // pixels, where 820 would reach one pixel past it.
            const auto units = [ratio](int pixels) {
                return static_cast<int>(std::ceil((pixels - 0.5) / ratio - 1e-6));
            };
            window->setGeometry(area.left, area.top, units(area.width), units(area.height));
            break;
        }
    }
    client->setGeometry(window->rect());
    platform::KeepOutOfTaskbar(handle);
}

void FinishCover(QWidget* window, QWidget* client, const ScreenArea& area) {
    if (area.kind != ScreenArea::Kind::Monitor) {
        client->setGeometry(window->rect());
        return;
    }
    platform::PlaceInScreenPixels(window->windowHandle(), RectOf(area));
    const QScreen* monitor = MonitorOf(area);
    if (!monitor) {
        monitor = window->windowHandle()->screen();
    }
    const qreal ratio = monitor ? monitor->devicePixelRatio() : 1;
    client->setGeometry(0, 0, static_cast<int>(std::ceil(area.width / ratio)),
                        static_cast<int>(std::ceil(area.height / ratio)));
}

}  // namespace qt
}  // namespace controls
