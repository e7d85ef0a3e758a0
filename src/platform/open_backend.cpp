#include "platform/open_backend.h"

#include "platform/wayland/portal_backend.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x11_session.h"

namespace platform {

std::shared_ptr<Backend> OpenBackend(SessionKind session, const char* display, std::string& error,
                                     bool& unreachable) {
    if (session == SessionKind::Wayland) {
        return OpenPortalBackend([display] { return XScreenSize(display); });
    }
    return OpenX11Backend(display, X11ScreenReader::Transfer::SharedMemoryWhenOffered, &GrabKeys,
                          error, &unreachable);
}

}  // namespace platform
