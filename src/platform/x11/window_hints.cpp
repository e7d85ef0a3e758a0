#include "platform/x11/window_hints.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform {
namespace {

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply) {
        return XCB_ATOM_NONE;
    }
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

// The window's current _NET_WM_STATE atoms.
std::vector<xcb_atom_t> CurrentStates(xcb_connection_t* connection, xcb_window_t window,
                                      xcb_atom_t netWmState) {
    std::vector<xcb_atom_t> states;
    xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, netWmState, XCB_ATOM_ATOM, 0, 1024);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (!reply) {
        return states;
    }
    if (reply->type == XCB_ATOM_ATOM && reply->format == 32) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / 4;
        states.assign(data, data + count);
    }
    std::free(reply);
    return states;
}

}  // namespace

void KeepOutOfTaskbar(QWindow* window) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!window || !x11 || !x11->connection()) {
        return;
    }
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t netWmState = InternAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = InternAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    const xcb_atom_t skipPager = InternAtom(connection, "_NET_WM_STATE_SKIP_PAGER");
    if (netWmState == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE || skipPager == XCB_ATOM_NONE) {
        return;
    }

    if (window->isVisible()) {
        // A mapped window asks the window manager (EWMH _NET_WM_STATE, add).
        xcb_client_message_event_t message = {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = id;
        message.type = netWmState;
        message.data.data32[0] = 1;  // _NET_WM_STATE_ADD
        message.data.data32[1] = skipTaskbar;
        message.data.data32[2] = skipPager;
        message.data.data32[3] = 1;  // source: an application
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        xcb_send_event(connection, 0, screen->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
    } else {
        // An unmapped window carries the state itself; the window manager
        // reads it when the window is mapped.
        std::vector<xcb_atom_t> states = CurrentStates(connection, id, netWmState);
        for (xcb_atom_t atom : {skipTaskbar, skipPager}) {
            if (std::find(states.begin(), states.end(), atom) == states.end()) {
                states.push_back(atom);
            }
        }
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, netWmState, XCB_ATOM_ATOM, 32,
                            static_cast<std::uint32_t>(states.size()), states.data());
    }
    xcb_flush(connection);
}

}  // namespace platform
