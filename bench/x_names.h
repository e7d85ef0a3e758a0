#pragma once
// What the bench's X tools share: replies freed at the end of their scope,
// atoms by name, and finding a top-level window by its title below a
// window manager's frame.

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace bench {

template <typename T>
struct Freed {
    T* p;
    explicit Freed(T* reply) : p(reply) {}
    ~Freed() { std::free(p); }
    Freed(const Freed&) = delete;
    Freed& operator=(const Freed&) = delete;
};

inline xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    Freed<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply.p ? reply.p->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// Whether the window's _NET_WM_NAME or WM_NAME is `wanted`.
inline bool HasName(xcb_connection_t* c, xcb_window_t window, xcb_atom_t netName, xcb_atom_t utf8,
                    const std::string& wanted) {
    for (const auto& [property, type] :
         {std::pair{netName, utf8},
          std::pair<xcb_atom_t, xcb_atom_t>{XCB_ATOM_WM_NAME, XCB_ATOM_ANY}}) {
        Freed<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c, xcb_get_property(c, 0, window, property, type, 0, 256), nullptr));
        if (reply.p && xcb_get_property_value_length(reply.p) > 0) {
            const std::string name(
                static_cast<const char*>(xcb_get_property_value(reply.p)),
                static_cast<std::size_t>(xcb_get_property_value_length(reply.p)));
            if (name == wanted) {
                return true;
            }
        }
    }
    return false;
}

// The window named `wanted` at or below `window`, a few levels down (a
// window manager's frame holds the client one or two levels deep); none
// when there is no such window.
inline xcb_window_t FindNamed(xcb_connection_t* c, xcb_window_t window, xcb_atom_t netName,
                              xcb_atom_t utf8, const std::string& wanted, int depth) {
    if (HasName(c, window, netName, utf8, wanted)) {
        return window;
    }
    if (depth == 0) {
        return XCB_WINDOW_NONE;
    }
    Freed<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
    if (!tree.p) {
        return XCB_WINDOW_NONE;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.p);
    for (int i = 0; i < xcb_query_tree_children_length(tree.p); ++i) {
        if (const xcb_window_t found =
                FindNamed(c, children[i], netName, utf8, wanted, depth - 1)) {
            return found;
        }
    }
    return XCB_WINDOW_NONE;
}

}  // namespace bench
