#include "app/session_backends.h"

#include "capture/foreground_window.h"
#include "platform/controls/vb_hot_key.h"
#include "platform/wayland/portal_screen_source.h"
#include "platform/wayland/portal_shortcuts.h"
#include "platform/wayland/sway_windows.h"
#include "platform/x11/x11_screen_reader.h"

namespace app {
namespace {

HWND NoWindow() {
    return 0;
}

bool NoRect(HWND, RECT*) {
    return false;
}

// sway tells which window has the focus; other Wayland desktops do not.
void UseWaylandWindowQuery() {
    capture::WindowQuery query;
    if (platform::sway::Available()) {
        query.foregroundWindow = &platform::sway::ForegroundWindow;
        query.windowRect = &platform::sway::WindowRect;
    } else {
        query.foregroundWindow = &NoWindow;
        query.windowRect = &NoRect;
        query.knowsForegroundWindow = false;
    }
    capture::SetWindowQuery(query);
}

}  // namespace

platform::SessionKind Session() {
    static const platform::SessionKind session = platform::DetectSession();
    return session;
}

std::shared_ptr<raster::ScreenSource> OpenSessionBackends(std::string& error) {
    if (Session() == platform::SessionKind::Wayland) {
        UseWaylandWindowQuery();
        controls::VBHotKey::SetClaimer(&platform::ClaimPortalShortcut);
        return std::make_shared<platform::PortalScreenSource>();
    }
    return platform::X11ScreenReader::Connect(nullptr, error);
}

}  // namespace app
