#include "app/wayland_window_query.h"

#include "capture/foreground_window.h"
#include "platform/wayland/sway_windows.h"

namespace app {
namespace {

HWND NoWindow() {
    return 0;
}

bool NoRect(HWND, RECT*) {
    return false;
}

}  // namespace

void UseWaylandWindowQuery() {
    capture::WindowQuery query;
    if (platform::sway::Available()) {
        query.foregroundWindow = &platform::sway::ForegroundWindow;
        query.windowRect = &platform::sway::WindowRect;
        query.failure = &platform::sway::Failure;
    } else {
        query.foregroundWindow = &NoWindow;
        query.windowRect = &NoRect;
        query.knowsForegroundWindow = false;
    }
    capture::SetWindowQuery(query);
}

}  // namespace app
