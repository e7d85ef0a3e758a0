#include "platform/wayland/wayland_connection.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>

namespace platform::wayland {
namespace {

void SyncDone(void* data, wl_callback* callback, std::uint32_t /*serial*/) {
    *static_cast<bool*>(data) = true;
    wl_callback_destroy(callback);
}

const wl_callback_listener kSyncListener = {&SyncDone};

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<std::int64_t>(left, 0, 60000));
}

}  // namespace

Connection::Connection() : display_(wl_display_connect(nullptr)) {}

Connection::~Connection() {
    if (registry_ != nullptr) {
        wl_registry_destroy(registry_);
    }
    if (display_ != nullptr) {
        wl_display_disconnect(display_);
    }
}

void Connection::AddGlobal(void* data, wl_registry* /*registry*/, std::uint32_t name,
                           const char* interface, std::uint32_t version) {
    static_cast<Connection*>(data)->globals_.push_back({name, interface, version});
}

void Connection::RemoveGlobal(void* data, wl_registry* /*registry*/, std::uint32_t name) {
    std::erase_if(static_cast<Connection*>(data)->globals_,
                  [name](const Global& global) { return global.name == name; });
}

const std::vector<Connection::Global>& Connection::globals(Clock::time_point deadline) {
    if (display_ != nullptr && registry_ == nullptr) {
        static const wl_registry_listener listener = {&AddGlobal, &RemoveGlobal};
        registry_ = wl_display_get_registry(display_);
        wl_registry_add_listener(registry_, &listener, this);
        globalsRead_ = roundTrip(deadline);
    }
    if (!globalsRead_) {
        globals_.clear();
    }
    return globals_;
}

void* Connection::bind(const Global& global, const void* interface, std::uint32_t version) {
    return wl_registry_bind(registry_, global.name, static_cast<const wl_interface*>(interface),
                            std::min(version, global.version));
}

bool Connection::pump(std::vector<pollfd>& extra, int timeoutMs) {
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) {
            return false;
        }
    }
    short events = POLLIN;
    if (wl_display_flush(display_) < 0) {
        if (errno != EAGAIN) {
            wl_display_cancel_read(display_);
            return false;
        }
        // The socket is full: the rest goes once it takes more.
        events |= POLLOUT;
    }
    std::vector<pollfd> waits{{wl_display_get_fd(display_), events, 0}};
    waits.insert(waits.end(), extra.begin(), extra.end());
    const int ready = ::poll(waits.data(), waits.size(), timeoutMs);
    if (ready > 0 && (waits[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
        if (wl_display_read_events(display_) < 0) {
            return false;
        }
    } else {
        wl_display_cancel_read(display_);
    }
    for (std::size_t i = 0; i < extra.size(); ++i) {
        extra[i].revents = ready > 0 ? waits[i + 1].revents : 0;
    }
    return wl_display_dispatch_pending(display_) >= 0;
}

bool Connection::waitFor(const std::function<bool()>& done, Clock::time_point deadline) {
    std::vector<pollfd> none;
    while (!done()) {
        if (Clock::now() >= deadline || !pump(none, MillisecondsLeft(deadline))) {
            return false;
        }
    }
    return true;
}

bool Connection::roundTrip(Clock::time_point deadline) {
    if (display_ == nullptr) {
        return false;
    }
    bool synced = false;
    wl_callback* callback = wl_display_sync(display_);
    wl_callback_add_listener(callback, &kSyncListener, &synced);
    const bool done = waitFor([&synced] { return synced; }, deadline);
    if (!done) {
        // An answer that comes later finds no listener, and no flag.
        wl_callback_destroy(callback);
    }
    return done;
}

}  // namespace platform::wayland
