#include "platform/x11/windows.h"

#include <xcb/xcb.h>

#include <cstring>

#include "platform/x11/display_lost.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/xcb_reply.h"

namespace platform {
namespace {

// _NET_ACTIVE_WINDOW, or XCB_ATOM_NONE when no client ever named it.
xcb_atom_t ActiveWindowAtom(xcb_connection_t* c) {
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, std::strlen("_NET_ACTIVE_WINDOW"), "_NET_ACTIVE_WINDOW"),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

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

platform::RECT OuterWindowRect(int insideX, int insideY, int width, int height, int borderWidth) {
    platform::RECT rect;
    rect.left = insideX - borderWidth;
    rect.top = insideY - borderWidth;
    rect.right = insideX + width + borderWidth;
    rect.bottom = insideY + height + borderWidth;
    return rect;
}

platform::HWND ForegroundWindow(const X11Connection& connection) {
    // Ends the program when the display has gone (see display_lost.h).
    EndIfDisplayLost(connection.get());
    xcb_connection_t* c = connection.get();
    const xcb_atom_t active = ActiveWindowAtom(c);
    if (active != XCB_ATOM_NONE) {
        Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(
            c, xcb_get_property(c, 0, connection.root(), active, XCB_ATOM_WINDOW, 0, 1), nullptr));
        if (property && property->type == XCB_ATOM_WINDOW && property->format == 32 &&
            xcb_get_property_value_length(property.get()) >= 4) {
            // The window manager's word; 0 when it says no window is active.
            return *static_cast<const std::uint32_t*>(xcb_get_property_value(property.get()));
        }
    }
    // No window manager keeps the property: go by the input focus.
    Reply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
        focus->focus == connection.root()) {
        return 0;
    }
    return TopLevel(c, connection.root(), focus->focus);
}

bool WindowRect(const X11Connection& connection, platform::HWND window, platform::RECT* rect) {
    EndIfDisplayLost(connection.get());
    if (window == 0 || !rect) {
        return false;
    }
    xcb_connection_t* c = connection.get();
    const xcb_window_t frame = TopLevel(c, connection.root(), window);
    if (frame == XCB_WINDOW_NONE) {
        return false;
    }
    Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, frame), nullptr));
    Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, frame, connection.root(), 0, 0), nullptr));
    if (!geometry || !origin) {
        return false;
    }
    *rect = OuterWindowRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height,
                            geometry->border_width);
    return true;
}

}  // namespace platform
