#include "capture/monitor_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>
#include <cmath>

#include "capture/size_label.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/rectangle_shape.h"
#include "platform/x11/monitor_pixels.h"
#include "platform/x11/window_hints.h"

namespace capture {

std::vector<Monitor> MonitorsOfMixedScales() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    bool mixed = false;
    for (QScreen* screen : screens) {
        mixed = mixed || screen->devicePixelRatio() != screens.front()->devicePixelRatio();
    }
    std::vector<Monitor> monitors;
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
        monitors.push_back({screen, units, pixels});
    }
    return monitors;
}

// The window manager is bypassed, as for the selection window itself.
MonitorWindow::MonitorWindow(QWidget* owner, const Monitor& monitor)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::X11BypassWindowManagerHint),
      pixelOrigin_(monitor.pixels.topLeft()),
      pixels_(monitor.pixels) {
    setWindowTitle(owner->windowTitle());
    picture_ = std::make_unique<controls::PictureBox>(host_);
    picture_->setTabStop(true);
    band_ = std::make_unique<controls::RectangleShape>(*picture_);
    band_->setBorderWidth(2);
    sizeLabel_ = NewSizeLabel(controls::qt::WidgetOf(*picture_));
    winId();
    windowHandle()->setScreen(monitor.screen);
    setGeometry(monitor.units);
    platform::KeepOutOfTaskbar(windowHandle());
}

void MonitorWindow::showOverMonitor() {
    show();
    platform::KeepOutOfTaskbar(windowHandle());
    CoverMonitor(this, *picture_, {windowHandle()->screen(), geometry(), pixels_});
}

void CoverMonitor(QWidget* window, controls::PictureBox& picture, const Monitor& monitor) {
    platform::PlaceInScreenPixels(window->windowHandle(), monitor.pixels);
    const qreal ratio = monitor.screen ? monitor.screen->devicePixelRatio() : 1;
    picture.Move(picture.Left(), picture.Top(),
                 static_cast<int>(std::ceil(monitor.pixels.width() / ratio)),
                 static_cast<int>(std::ceil(monitor.pixels.height() / ratio)));
}

void MonitorWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit cancelRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MonitorWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit cancelRequested();
}

}  // namespace capture
