#include "platform/x11/x11_connection.h"

#include <xcb/randr.h>

#include <cstdlib>
#include <cstring>

#include "platform/x11/x11_session.h"
#include "platform/x11/xcb_reply.h"

namespace platform {

std::shared_ptr<X11Connection> X11Connection::Open(const char* display, std::string& error,
                                                   bool* unreachable) {
    static std::shared_ptr<X11Connection> shared;
    static std::string sharedName;
    const std::string name = display ? display : "";
    if (shared && name == sharedName) {
        return shared;
    }
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display, &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        const char* shown = display ? display : std::getenv("DISPLAY");
        error = shown == nullptr || *shown == '\0'
                    ? std::string("cannot open the X display: DISPLAY is not set")
                    : std::string("cannot open the X display \"") + shown +
                          "\": no X server there accepted the connection";
        if (unreachable) {
            *unreachable = true;
        }
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i) {
        xcb_screen_next(&it);
    }
    if (!it.rem) {
        xcb_disconnect(c);
        error = "cannot open the X display: it has no such screen";
        return nullptr;
    }
    std::shared_ptr<X11Connection> opened(new X11Connection(c, it.data));
    if (!shared) {
        shared = opened;
        sharedName = name;
    }
    return opened;
}

X11Connection::~X11Connection() {
    xcb_disconnect(connection_);
}

bool X11Connection::IsXWayland() const {
    Reply<xcb_randr_get_screen_resources_current_reply_t> resources(
        xcb_randr_get_screen_resources_current_reply(
            connection_, xcb_randr_get_screen_resources_current(connection_, root()), nullptr));
    if (!resources || xcb_randr_get_screen_resources_current_outputs_length(resources.get()) < 1) {
        return false;
    }
    // Every output of XWayland carries the prefix; the first one tells.
    const xcb_randr_output_t first =
        xcb_randr_get_screen_resources_current_outputs(resources.get())[0];
    Reply<xcb_randr_get_output_info_reply_t> output(xcb_randr_get_output_info_reply(
        connection_, xcb_randr_get_output_info(connection_, first, resources->config_timestamp),
        nullptr));
    if (!output) {
        return false;
    }
    constexpr char kPrefix[] = "XWAYLAND";
    const int length = xcb_randr_get_output_info_name_length(output.get());
    return length >= static_cast<int>(sizeof kPrefix - 1) &&
           std::memcmp(xcb_randr_get_output_info_name(output.get()), kPrefix, sizeof kPrefix - 1) ==
               0;
}

raster::Size XScreenSize(const char* display) {
    std::string error;
    const std::shared_ptr<X11Connection> connection = X11Connection::Open(display, error);
    if (!connection) {
        return {};
    }
    return {connection->screen().width_in_pixels, connection->screen().height_in_pixels};
}

bool XServerIsXWayland(const char* display) {
    std::string error;
    const std::shared_ptr<X11Connection> connection = X11Connection::Open(display, error);
    return connection && connection->IsXWayland();
}

}  // namespace platform
