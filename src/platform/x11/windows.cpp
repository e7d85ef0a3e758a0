#include "platform/x11/windows.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/x11/display_lost.h"
#include "platform/x11/display_name.h"
#include "platform/x11/xcb_reply.h"

namespace platform {
namespace {

// A connection of its own, opened on first use and kept for the run: the
// window queries are few and short, and the user-interface toolkit's
// connection is busy delivering events.
class WindowQueryConnection {
  public:
    // Ends the program when the display has gone (see display_lost.h).
    static WindowQueryConnection* Get() {
        static std::unique_ptr<WindowQueryConnection> shared = Open();
        if (shared) {
            EndIfDisplayLost(shared->connection_);
        }
        return shared.get();
    }

    ~WindowQueryConnection() { xcb_disconnect(connection_); }

    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t root() const { return root_; }

    // _NET_ACTIVE_WINDOW, or XCB_ATOM_NONE when no client ever named it.
    xcb_atom_t activeWindowAtom() const {
        Reply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(connection_,
                                  xcb_intern_atom(connection_, 1, std::strlen("_NET_ACTIVE_WINDOW"),
                                                  "_NET_ACTIVE_WINDOW"),
                                  nullptr));
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

  private:
    WindowQueryConnection(xcb_connection_t* connection, xcb_window_t root)
        : connection_(connection), root_(root) {}

    static std::unique_ptr<WindowQueryConnection> Open() {
        int screenNumber = 0;
        xcb_connection_t* c = xcb_connect(DisplayName(), &screenNumber);
        if (xcb_connection_has_error(c)) {
            xcb_disconnect(c);
            return nullptr;
        }
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screenNumber && it.rem; ++i) {
            xcb_screen_next(&it);
        }
        if (!it.rem) {
            xcb_disconnect(c);
            return nullptr;
        }
        return std::unique_ptr<WindowQueryConnection>(new WindowQueryConnection(c, it.data->root));
    }

    xcb_connection_t* connection_;
    xcb_window_t root_;
};

// The ancestor of `window` that is a child of the root: with a reparenting
// window manager, the frame around the client window. The root for the root,
// XCB_WINDOW_NONE when the window does not exist.
xcb_window_t TopLevel(xcb_connection_t* c, xcb_window_t root, xcb_window_t window) {
    xcb_window_t current = window;
    while (current != root) {
        Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, current), nullptr));
        if (!tree) {
            return XCB_WINDOW_NONE;
        }
        if (tree->parent == root || tree->parent == XCB_WINDOW_NONE) {
            return current;
        }
        current = tree->parent;
    }
    return root;
}

}  // namespace

RECT OuterWindowRect(int insideX, int insideY, int width, int height, int borderWidth) {
    RECT rect;
    rect.left = insideX - borderWidth;
    rect.top = insideY - borderWidth;
    rect.right = insideX + width + borderWidth;
    rect.bottom = insideY + height + borderWidth;
    return rect;
}

}  // namespace platform

HWND GetForegroundWindow() {
    platform::WindowQueryConnection* shared = platform::WindowQueryConnection::Get();
    if (!shared) {
        return 0;
    }
    xcb_connection_t* c = shared->connection();
    const xcb_atom_t active = shared->activeWindowAtom();
    if (active != XCB_ATOM_NONE) {
        platform::Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(
            c, xcb_get_property(c, 0, shared->root(), active, XCB_ATOM_WINDOW, 0, 1), nullptr));
        if (property && property->type == XCB_ATOM_WINDOW && property->format == 32 &&
            xcb_get_property_value_length(property.get()) >= 4) {
            // The window manager's word; 0 when it says no window is active.
            return *static_cast<const std::uint32_t*>(xcb_get_property_value(property.get()));
        }
    }
    // No window manager keeps the property: go by the input focus.
    platform::Reply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
        focus->focus == shared->root()) {
        return 0;
    }
    return platform::TopLevel(c, shared->root(), focus->focus);
}

bool GetWindowRect(HWND window, RECT* rect) {
    platform::WindowQueryConnection* shared = platform::WindowQueryConnection::Get();
    if (!shared || window == 0 || !rect) {
        return false;
    }
    xcb_connection_t* c = shared->connection();
    const xcb_window_t frame = platform::TopLevel(c, shared->root(), window);
    if (frame == XCB_WINDOW_NONE) {
        return false;
    }
    platform::Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, frame), nullptr));
    platform::Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, frame, shared->root(), 0, 0), nullptr));
    if (!geometry || !origin) {
        return false;
    }
    *rect = platform::OuterWindowRect(origin->dst_x, origin->dst_y, geometry->width,
                                      geometry->height, geometry->border_width);
    return true;
}
