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

#include "x_names.h"

extern char** environ;

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
    const xcb_atom_t netName = bench::Atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = bench::Atom(c, "UTF8_STRING");
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
            if (bench::FindNamed(c, map->window, netName, utf8, wanted, 3)) {
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
