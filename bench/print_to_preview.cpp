// Measures a full-screen capture as the user sees it: from the Print key
// going down to the main window back on the screen with its preview drawn.
// Starts the program, waits for its main window, and then, run after run,
// presses Print through XTEST and watches the main window: unmapped, mapped
// again, and the last Damage on it once it has been mapped. A window is
// drawn when no more damage has come for 50 ms; that quiet time is not
// counted.
//
//   tess_print_to_preview RUNS COMMAND [ARGS...]
//
// Output: "print_to_preview_ms <median>", the medians of the steps
// ("unmapped_ms", "mapped_ms", "first_damage_ms"), then "samples_ms" with
// every run. Exit status 1, with a message, when the window does not come,
// go or come back in time; 2 for a usage or display error.

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "x_names.h"

extern char** environ;

namespace {

using bench::Atom;
using bench::FindNamed;
using bench::Freed;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr xcb_keysym_t kPrintKeysym = 0xff61;
constexpr milliseconds kDrawnQuiet{50};
// Before a press: nothing has been drawn on the window for this long.
constexpr milliseconds kIdleQuiet{300};
constexpr milliseconds kStepDeadline{5000};

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

bool Viewable(xcb_connection_t* c, xcb_window_t window) {
    Freed<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return reply.p && reply.p->map_state == XCB_MAP_STATE_VIEWABLE;
}

xcb_keycode_t PrintKeycode(xcb_connection_t* c) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    Freed<xcb_get_keyboard_mapping_reply_t> map(xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr));
    if (!map.p || map.p->keysyms_per_keycode == 0) {
        return 0;
    }
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.p);
    for (int k = 0; k < count; ++k) {
        if (syms[k * map.p->keysyms_per_keycode] == kPrintKeysym) {
            return static_cast<xcb_keycode_t>(setup->min_keycode + k);
        }
    }
    return 0;
}

// The events of one window: its unmaps and maps, and the damage on it.
class Watch {
  public:
    enum class Seen { Nothing, Unmap, Map, Damage, Lost };

    Watch(xcb_connection_t* c, std::uint8_t damageEvent) : c_(c), damageEvent_(damageEvent) {}

    // The next event of interest, or Nothing once `until` has passed.
    Seen Next(Clock::time_point until, Clock::time_point& at) {
        for (;;) {
            xcb_generic_event_t* event = xcb_poll_for_event(c_);
            if (!event) {
                if (xcb_connection_has_error(c_)) {
                    return Seen::Lost;
                }
                const auto left = until - Clock::now();
                if (left <= Clock::duration::zero()) {
                    return Seen::Nothing;
                }
                pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
                poll(&fd, 1, static_cast<int>(std::chrono::ceil<milliseconds>(left).count()));
                continue;
            }
            at = Clock::now();
            const std::uint8_t type = event->response_type & 0x7F;
            std::free(event);
            if (type == XCB_UNMAP_NOTIFY) {
                return Seen::Unmap;
            }
            if (type == XCB_MAP_NOTIFY) {
                return Seen::Map;
            }
            if (type == damageEvent_) {
                return Seen::Damage;
            }
        }
    }

    // Waits until nothing has been drawn for `quiet`; false past `deadline`.
    bool Quiet(milliseconds quiet, Clock::time_point deadline) {
        Clock::time_point at;
        for (;;) {
            const Clock::time_point until = std::min(Clock::now() + quiet, deadline);
            const Seen seen = Next(until, at);
            if (seen == Seen::Lost) {
                return false;
            }
            if (seen == Seen::Nothing) {
                return until < deadline;
            }
        }
    }

  private:
    xcb_connection_t* c_;
    std::uint8_t damageEvent_;
};

struct Run {
    double unmapped = 0;
    double mapped = 0;
    double firstDamage = 0;
    double drawn = 0;
};

void EndChild(pid_t child) {
    kill(child, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return;
        }
        poll(nullptr, 0, 20);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || std::atoi(argv[1]) < 1) {
        std::fprintf(stderr, "usage: tess_print_to_preview RUNS COMMAND [ARGS...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "tess_print_to_preview: cannot open the X display\n");
        return 2;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i) {
        xcb_screen_next(&it);
    }
    const xcb_window_t root = it.data->root;
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c, &xcb_damage_id);
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(c, &xcb_test_id);
    if (!damage || !damage->present || !xtest || !xtest->present) {
        std::fprintf(stderr, "tess_print_to_preview: the X server lacks DAMAGE or XTEST\n");
        return 2;
    }
    std::free(xcb_damage_query_version_reply(
        c, xcb_damage_query_version(c, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));
    const xcb_keycode_t print = PrintKeycode(c);
    if (print == 0) {
        std::fprintf(stderr, "tess_print_to_preview: no key gives Print\n");
        return 2;
    }
    const xcb_atom_t netName = Atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = Atom(c, "UTF8_STRING");

    pid_t child = 0;
    if (posix_spawn(&child, argv[2], nullptr, nullptr, argv + 2, environ) != 0) {
        std::fprintf(stderr, "tess_print_to_preview: cannot start %s\n", argv[2]);
        return 2;
    }
    const auto fail = [&](const char* what, int run) {
        std::fprintf(stderr, "tess_print_to_preview: run %d: %s\n", run, what);
        EndChild(child);
        xcb_disconnect(c);
        return 1;
    };

    xcb_window_t window = XCB_WINDOW_NONE;
    const auto startDeadline = Clock::now() + std::chrono::seconds(30);
    while (!(window && Viewable(c, window))) {
        if (Clock::now() > startDeadline) {
            return fail("the main window \"Tessarine\" did not show within 30 s", 0);
        }
        poll(nullptr, 0, 50);
        if (!window) {
            window = FindNamed(c, root, netName, utf8, "Tessarine", 3);
        }
    }
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
    const xcb_damage_damage_t damageId = xcb_generate_id(c);
    xcb_damage_create(c, damageId, window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    xcb_flush(c);
    Watch watch(c, static_cast<std::uint8_t>(damage->first_event + XCB_DAMAGE_NOTIFY));

    // The first press is not counted: the program's first capture sets up
    // what later ones reuse.
    std::vector<Run> done;
    for (int run = 0; run <= runs; ++run) {
        if (!watch.Quiet(kIdleQuiet, Clock::now() + kStepDeadline)) {
            return fail("the main window did not stop drawing before the press", run);
        }
        const Clock::time_point pressed = Clock::now();
        xcb_test_fake_input(c, XCB_KEY_PRESS, print, XCB_CURRENT_TIME, root, 0, 0, 0);
        xcb_test_fake_input(c, XCB_KEY_RELEASE, print, XCB_CURRENT_TIME, root, 0, 0, 0);
        xcb_flush(c);

        Run r;
        Clock::time_point at;
        Watch::Seen seen = Watch::Seen::Nothing;
        const auto unmapDeadline = pressed + kStepDeadline;
        while ((seen = watch.Next(unmapDeadline, at)) != Watch::Seen::Unmap) {
            if (seen == Watch::Seen::Nothing || seen == Watch::Seen::Lost) {
                return fail("the main window was not hidden within 5 s of Print", run);
            }
        }
        r.unmapped = Ms(at - pressed);
        const auto mapDeadline = at + kStepDeadline;
        while ((seen = watch.Next(mapDeadline, at)) != Watch::Seen::Map) {
            if (seen == Watch::Seen::Nothing || seen == Watch::Seen::Lost) {
                return fail("the main window did not come back within 5 s", run);
            }
        }
        r.mapped = Ms(at - pressed);
        const auto drawDeadline = at + kStepDeadline;
        Clock::time_point lastDamage{};
        for (;;) {
            const Clock::time_point until = lastDamage == Clock::time_point{}
                                                ? drawDeadline
                                                : std::min(lastDamage + kDrawnQuiet, drawDeadline);
            seen = watch.Next(until, at);
            if (seen == Watch::Seen::Lost) {
                return fail("the X connection was lost", run);
            }
            if (seen == Watch::Seen::Nothing) {
                if (until == drawDeadline) {
                    return fail(lastDamage == Clock::time_point{}
                                    ? "nothing was drawn on the main window within 5 s of its map"
                                    : "the main window kept drawing for 5 s after its map",
                                run);
                }
                break;
            }
            if (seen == Watch::Seen::Damage) {
                if (lastDamage == Clock::time_point{}) {
                    r.firstDamage = Ms(at - pressed);
                }
                lastDamage = at;
            }
        }
        r.drawn = Ms(lastDamage - pressed);
        if (run > 0) {
            done.push_back(r);
        }
    }
    xcb_damage_destroy(c, damageId);
    EndChild(child);
    xcb_disconnect(c);

    std::vector<double> drawn, unmapped, mapped, firstDamage;
    for (const Run& r : done) {
        drawn.push_back(r.drawn);
        unmapped.push_back(r.unmapped);
        mapped.push_back(r.mapped);
        firstDamage.push_back(r.firstDamage);
    }
    std::printf(
        "print_to_preview_ms %.3f\nunmapped_ms %.3f\nmapped_ms %.3f\nfirst_damage_ms %.3f\n",
        Median(drawn), Median(unmapped), Median(mapped), Median(firstDamage));
    std::printf("samples_ms");
    for (double ms : drawn) {
        std::printf(" %.3f", ms);
    }
    std::printf("\n");
    return 0;
}
