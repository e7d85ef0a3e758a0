#include "platform/wayland/data_control_clipboard.h"

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/serving_process.h"
#include "platform/wayland/wayland_connection.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace platform {
namespace {

using wayland::Clock;

// How long the caller waits for the picture to be the selection.
constexpr int kOwnDeadlineMs = 5000;
// A paste whose reader takes nothing for this long is dropped.
constexpr auto kStallDeadline = std::chrono::seconds(10);
// The types offered: those the X11 clipboard's server offers.
constexpr const char* kPngType = "image/png";
// The serving process's answer when the desktop has no data-control.
constexpr char kNotOffered = '0';

// One paste under way: the picture written to the reader's pipe as fast as
// it takes it.
struct Transfer {
    int fd = -1;
    std::size_t sent = 0;
    Clock::time_point deadline;
};

class Server {
  public:
    explicit Server(wayland::Connection& connection) : connection_(connection) {}
    ~Server() {
        for (const Transfer& transfer : transfers_) {
            ::close(transfer.fd);
        }
        for (int fd : waiting_) {
            ::close(fd);
        }
    }

    // Binds the manager and the first seat: empty, or why not (the answer
    // for the caller, which falls back when it starts with kNotOffered).
    std::string bind(Clock::time_point deadline) {
        const auto& globals = connection_.globals(deadline);
        if (globals.empty()) {
            return kNotOffered + std::string("the Wayland display cannot be reached");
        }
        for (const wayland::Connection::Global& global : globals) {
            if (global.interface == zwlr_data_control_manager_v1_interface.name && !manager_) {
                manager_ = static_cast<zwlr_data_control_manager_v1*>(
                    connection_.bind(global, &zwlr_data_control_manager_v1_interface, 1));
            } else if (global.interface == wl_seat_interface.name && !seat_) {
                seat_ = static_cast<wl_seat*>(connection_.bind(global, &wl_seat_interface, 1));
            }
        }
        if (manager_ == nullptr) {
            return kNotOffered +
                   std::string("this desktop lets no program without a window set the clipboard");
        }
        if (seat_ == nullptr) {
            return kNotOffered + std::string("this desktop names no seat");
        }
        return {};
    }

    // Makes the picture the seat's selection: empty, or why not.
    std::string own(Clock::time_point deadline) {
        source_ = zwlr_data_control_manager_v1_create_data_source(manager_);
        static const zwlr_data_control_source_v1_listener sourceListener = {&Send, &Cancelled};
        zwlr_data_control_source_v1_add_listener(source_, &sourceListener, this);
        zwlr_data_control_source_v1_offer(source_, kPngType);
        device_ = zwlr_data_control_manager_v1_get_data_device(manager_, seat_);
        static const zwlr_data_control_device_v1_listener deviceListener = {&NewOffer, &Selection,
                                                                            &Finished};
        zwlr_data_control_device_v1_add_listener(device_, &deviceListener, this);
        zwlr_data_control_device_v1_set_selection(device_, source_);
        if (!connection_.roundTrip(deadline)) {
            return "the compositor did not answer in time";
        }
        return cancelled_ || finished_ ? "another program took the clipboard at once" : "";
    }

    // Serves `png` until another selection replaces ours (and the pastes
    // under way have finished) or the connection ends.
    void run(std::vector<std::uint8_t> png) {
        png_ = std::move(png);
        for (int fd : waiting_) {
            start(fd);
        }
        waiting_.clear();
        std::vector<pollfd> waits;
        while (!(cancelled_ || finished_) || !transfers_.empty()) {
            waits.clear();
            Clock::time_point next = Clock::time_point::max();
            for (const Transfer& transfer : transfers_) {
                waits.push_back({transfer.fd, POLLOUT, 0});
                next = std::min(next, transfer.deadline);
            }
            int timeoutMs = -1;
            if (next != Clock::time_point::max()) {
                timeoutMs = static_cast<int>(std::max<std::int64_t>(
                    0, std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now())
                               .count() +
                           1));
            }
            if (!connection_.pump(waits, timeoutMs)) {
                return;
            }
            // Transfers started while pumping have no entry in `waits` yet.
            for (std::size_t i = 0; i < waits.size(); ++i) {
                if (waits[i].revents != 0) {
                    step(transfers_[i]);
                }
            }
            const auto now = Clock::now();
            std::erase_if(transfers_, [now](Transfer& transfer) {
                if (transfer.fd >= 0 && transfer.deadline > now) {
                    return false;
                }
                if (transfer.fd >= 0) {
                    ::close(transfer.fd);
                }
                return true;
            });
        }
    }

  private:
    static void Send(void* data, zwlr_data_control_source_v1* /*source*/, const char* type,
                     std::int32_t fd) {
        auto* self = static_cast<Server*>(data);
        if (std::strcmp(type, kPngType) != 0 || self->cancelled_) {
            ::close(fd);
        } else if (self->png_.empty()) {
            self->waiting_.push_back(fd);
        } else {
            self->start(fd);
        }
    }

    static void Cancelled(void* data, zwlr_data_control_source_v1* source) {
        static_cast<Server*>(data)->cancelled_ = true;
        zwlr_data_control_source_v1_destroy(source);
        static_cast<Server*>(data)->source_ = nullptr;
    }

    // Someone's selection: the device's offer of it is of no use here, but
    // the one before must go when a new one is named.
    static void NewOffer(void* /*data*/, zwlr_data_control_device_v1* /*device*/,
                         zwlr_data_control_offer_v1* /*offer*/) {}

    static void Selection(void* data, zwlr_data_control_device_v1* /*device*/,
                          zwlr_data_control_offer_v1* offer) {
        auto* self = static_cast<Server*>(data);
        if (self->offer_ != nullptr && self->offer_ != offer) {
            zwlr_data_control_offer_v1_destroy(self->offer_);
        }
        self->offer_ = offer;
    }

    static void Finished(void* data, zwlr_data_control_device_v1* /*device*/) {
        static_cast<Server*>(data)->finished_ = true;
    }

    void start(int fd) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
            ::close(fd);
            return;
        }
        transfers_.push_back({fd, 0, Clock::now() + kStallDeadline});
        step(transfers_.back());
    }

    // Writes what the reader takes now; closes the pipe when all is written
    // or the reader has gone.
    void step(Transfer& transfer) {
        while (transfer.sent < png_.size()) {
            const ssize_t n =
                ::write(transfer.fd, png_.data() + transfer.sent, png_.size() - transfer.sent);
            if (n > 0) {
                transfer.sent += static_cast<std::size_t>(n);
                transfer.deadline = Clock::now() + kStallDeadline;
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && errno == EAGAIN) {
                return;
            } else {
                break;
            }
        }
        ::close(transfer.fd);
        transfer.fd = -1;
    }

    wayland::Connection& connection_;
    zwlr_data_control_manager_v1* manager_ = nullptr;
    wl_seat* seat_ = nullptr;
    zwlr_data_control_source_v1* source_ = nullptr;
    zwlr_data_control_device_v1* device_ = nullptr;
    zwlr_data_control_offer_v1* offer_ = nullptr;
    std::vector<std::uint8_t> png_;
    std::vector<int> waiting_;  // pastes asked for before the PNG was made
    std::vector<Transfer> transfers_;
    bool cancelled_ = false;
    bool finished_ = false;
};

[[noreturn]] void ServeInChild(const PngMaker& makePng, int ready) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(kOwnDeadlineMs);
    wayland::Connection connection;
    Server server(connection);
    if (std::string why = server.bind(deadline); !why.empty()) {
        AnswerCaller(ready, why);
        ::_exit(1);
    }
    if (std::string why = server.own(deadline); !why.empty()) {
        AnswerCaller(ready, why);
        ::_exit(1);
    }
    AnswerCaller(ready, "1");
    std::vector<std::uint8_t> png = makePng();
    // What makePng let go of goes back to the system.
    ::malloc_trim(0);
    if (png.empty()) {
        ::_exit(1);
    }
    server.run(std::move(png));
    ::_exit(0);
}

}  // namespace

WaylandClipboard ServeWaylandClipboardPng(const PngMaker& makePng, std::string& error) {
    const ServingAnswer answer = StartServingProcess(
        [&makePng](int ready) { ServeInChild(makePng, ready); }, kOwnDeadlineMs);
    if (answer.serving) {
        return WaylandClipboard::Serving;
    }
    if (!answer.text.empty() && answer.text[0] == kNotOffered) {
        error = answer.text.substr(1);
        return WaylandClipboard::NotOffered;
    }
    error = "cannot copy the picture: " +
            (answer.text.empty() ? std::string("the clipboard process did not answer in time")
                                 : answer.text);
    return WaylandClipboard::Failed;
}

}  // namespace platform
