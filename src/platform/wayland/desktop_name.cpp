#include "platform/wayland/desktop_name.h"

#include <strings.h>

#include <cstdlib>
#include <string_view>

namespace platform {

bool DesktopIs(const char* name, const char* desktops) {
    if (desktops == nullptr) {
        desktops = std::getenv("XDG_CURRENT_DESKTOP");
    }
    if (desktops == nullptr) {
        return false;
    }
    const std::string_view wanted(name);
    std::string_view rest(desktops);
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view entry = rest.substr(0, colon);
        if (entry.size() == wanted.size() &&
            ::strncasecmp(entry.data(), wanted.data(), wanted.size()) == 0) {
            return true;
        }
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return false;
}

}  // namespace platform
