#include "app/session_backends.h"

#include "app/wayland_window_query.h"
#include "platform/controls/vb_hot_key.h"
#include "platform/wayland/portal_screen_source.h"
#include "platform/wayland/portal_shortcuts.h"
#include "platform/x11/display_name.h"
#include "platform/x11/x11_screen_reader.h"

namespace app {

platform::SessionKind Session() {
    static const platform::SessionKind session = platform::DetectSession(platform::DisplayName());
    return session;
}

std::shared_ptr<raster::ScreenSource> OpenSessionBackends(std::string& error, bool& unreachable) {
    if (Session() == platform::SessionKind::Wayland) {
        UseWaylandWindowQuery();
        controls::VBHotKey::SetClaimer(&platform::ClaimPortalShortcut);
        return std::make_shared<platform::PortalScreenSource>();
    }
    return platform::X11ScreenReader::Connect(
        platform::DisplayName(), error,
        platform::X11ScreenReader::Transfer::SharedMemoryWhenOffered, &unreachable);
}

}  // namespace app
