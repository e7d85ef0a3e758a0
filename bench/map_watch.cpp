// Measures how long a program takes from exec to its window being mapped:
// watches the root window for MapNotify, starts the program, and stops the
// clock when a newly mapped top-level window (or the client inside a window
// manager's frame) carries the wanted name. Then ends the program.
//
//   tess_map_watch NAME COMMAND [ARGS...]
//
// Prints the time in milliseconds; exit status 1 if no such window was
// mapped within 30 s.

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern char** environ;

namespace {

template <typename T>
struct Freed {
    T* p;
    explicit Freed(T* reply) : p(reply) {}
    ~Freed() { std::free(p); }
    Freed(const Freed&) = delete;
    Freed& operator=(const Freed&) = delete;
};

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    Freed<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply.p ? reply.p->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

bool HasName(xcb_connection_t* c, xcb_window_t window, xcb_atom_t netName, xcb_atom_t utf8,
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

// The window itself or a window below it, a few levels down (a window
// manager's frame holds the client one or two levels deep).
bool SubtreeHasName(xcb_connection_t* c, xcb_window_t window, xcb_atom_t netName, xcb_atom_t utf8,
                    const std::string& wanted, int depth) {
    if (HasName(c, window, netName, utf8, wanted)) {
        return true;
    }
    if (depth == 0) {
        return false;
    }
    Freed<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
    if (!tree.p) {
        return false;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.p);
    for (int i = 0; i < xcb_query_tree_children_length(tree.p); ++i) {
        if (SubtreeHasName(c, children[i], netName, utf8, wanted, depth - 1)) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tess_map_watch NAME COMMAND [ARGS...]\n");
        return 2;
    }
    const std::string wanted = argv[1];
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "tess_map_watch: cannot open the X display\n");
        return 2;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i) {
        xcb_screen_next(&it);
    }
    const xcb_window_t root = it.data->root;
    const xcb_atom_t netName = Atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = Atom(c, "UTF8_STRING");
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    // Added to whatever the window manager selected; only events from now on.
    std::free(xcb_request_check(
        c, xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask)));

    pid_t child = 0;
    const auto start = std::chrono::steady_clock::now();
    if (posix_spawn(&child, argv[2], nullptr, nullptr, argv + 2, environ) != 0) {
        std::fprintf(stderr, "tess_map_watch: cannot start %s\n", argv[2]);
        return 2;
    }
    double elapsedMs = -1;
    const auto deadline = start + std::chrono::seconds(30);
    while (elapsedMs < 0 && std::chrono::steady_clock::now() < deadline) {
        xcb_generic_event_t* event = xcb_poll_for_event(c);
        if (!event) {
            if (xcb_connection_has_error(c)) {
                break;
            }
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            poll(&fd, 1, 100);
            continue;
        }
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
            const auto now = std::chrono::steady_clock::now();
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (SubtreeHasName(c, map->window, netName, utf8, wanted, 3)) {
                elapsedMs = std::chrono::duration<double, std::milli>(now - start).count();
            }
        }
        std::free(event);
    }
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    xcb_disconnect(c);
    if (elapsedMs < 0) {
        std::fprintf(stderr, "tess_map_watch: no window named \"%s\" was mapped\n", wanted.c_str());
        return 1;
    }
    std::printf("%.3f\n", elapsedMs);
    return 0;
}
