#include "platform/session_kind.h"

#include <cstdlib>
#include <cstring>

#include "platform/x11/x11_session.h"

namespace platform {
namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

std::string SessionOverrideProblem() {
    const char* forced = std::getenv("TESSARINE_SESSION");
    if (forced == nullptr || *forced == '\0' || std::strcmp(forced, "wayland") == 0 ||
        std::strcmp(forced, "x11") == 0) {
        return {};
    }
    return "TESSARINE_SESSION is \"" + std::string(forced) + "\": expected x11 or wayland";
}

SessionKind DetectSession(const char* display) {
    if (const char* forced = std::getenv("TESSARINE_SESSION")) {
        if (std::strcmp(forced, "wayland") == 0) {
            return SessionKind::Wayland;
        }
        if (std::strcmp(forced, "x11") == 0) {
            return SessionKind::X11;
        }
    }
    if (IsSet("WAYLAND_DISPLAY")) {
        return SessionKind::Wayland;
    }
    return (display != nullptr || IsSet("DISPLAY")) && XServerIsXWayland(display)
               ? SessionKind::Wayland
               : SessionKind::X11;
}

}  // namespace platform
