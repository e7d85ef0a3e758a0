#pragma once
// A plain libwayland-client connection to the compositor, for the small
// protocol clients that need no window (the clipboard's server): the
// globals it offers, and every wait bounded by a deadline, which
// libwayland's own round trip is not.

#include <poll.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;

namespace platform::wayland {

using Clock = std::chrono::steady_clock;

class Connection {
  public:
    // Connects to $WAYLAND_DISPLAY; reached() says whether that worked.
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool reached() const { return display_ != nullptr; }
    wl_display* display() const { return display_; }

    // One global the compositor offers.
    struct Global {
        std::uint32_t name = 0;
        std::string interface;
        std::uint32_t version = 0;
    };
    // The globals, read once (a round trip); empty when the connection
    // failed or the deadline passed.
    const std::vector<Global>& globals(Clock::time_point deadline);
    // Binds the global of that name at `version` (no more than it offers).
    void* bind(const Global& global, const void* interface, std::uint32_t version);

    // Dispatches events until `done` holds: false when the connection
    // failed or the deadline passed first.
    bool waitFor(const std::function<bool()>& done, Clock::time_point deadline);
    // Until the compositor has handled every request sent so far.
    bool roundTrip(Clock::time_point deadline);
    // Waits up to `timeoutMs` (-1: no limit) for the compositor's events,
    // and for `extra` descriptors' events, whose revents it sets; then
    // dispatches what came. False when the connection failed.
    bool pump(std::vector<pollfd>& extra, int timeoutMs);

  private:
    static void AddGlobal(void* data, wl_registry* registry, std::uint32_t name,
                          const char* interface, std::uint32_t version);
    static void RemoveGlobal(void* data, wl_registry* registry, std::uint32_t name);

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    std::vector<Global> globals_;
    bool globalsRead_ = false;
};

}  // namespace platform::wayland
