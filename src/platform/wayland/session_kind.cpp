#include "platform/wayland/session_kind.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/x11/xcb_reply.h"

namespace platform {
namespace {

struct Disconnect {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

bool XServerIsXWayland(const char* display) {
    int screenNumber = 0;
    // Kept open until the process ends. Were it the server's only client,
    // closing it would make the server reset, and the connection that comes
    // next (the screen reader's, the toolkit's) could be refused meanwhile.
    static std::unique_ptr<xcb_connection_t, Disconnect> c;
    c.reset(xcb_connect(display, &screenNumber));
    if (xcb_connection_has_error(c.get())) {
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c.get()));
    for (int i = 0; i < screenNumber && it.rem; ++i) {
        xcb_screen_next(&it);
    }
    if (!it.rem) {
        return false;
    }
    Reply<xcb_randr_get_screen_resources_current_reply_t> resources(
        xcb_randr_get_screen_resources_current_reply(
            c.get(), xcb_randr_get_screen_resources_current(c.get(), it.data->root), nullptr));
    if (!resources || xcb_randr_get_screen_resources_current_outputs_length(resources.get()) < 1) {
        return false;
    }
    // Every output of XWayland carries the prefix; the first one tells.
    const xcb_randr_output_t first =
        xcb_randr_get_screen_resources_current_outputs(resources.get())[0];
    Reply<xcb_randr_get_output_info_reply_t> output(xcb_randr_get_output_info_reply(
        c.get(), xcb_randr_get_output_info(c.get(), first, resources->config_timestamp), nullptr));
    if (!output) {
        return false;
    }
    constexpr char kPrefix[] = "XWAYLAND";
    const int length = xcb_randr_get_output_info_name_length(output.get());
    return length >= static_cast<int>(sizeof kPrefix - 1) &&
           std::memcmp(xcb_randr_get_output_info_name(output.get()), kPrefix, sizeof kPrefix - 1) ==
               0;
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
