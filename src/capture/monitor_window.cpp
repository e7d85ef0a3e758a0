#include "capture/monitor_window.h"

namespace capture {

MonitorWindow::MonitorWindow(const controls::Form& owner, const controls::ScreenArea& monitor)
    : Form(Style::CoverScreen, "MonitorWindow"), originX(monitor.left), originY(monitor.top) {
    setOwner(owner);
    setCaption(owner.Caption());
    picture.setTabStop(true);
    band.setBorderWidth(2);
    CoverScreenArea(monitor);
}

}  // namespace capture
