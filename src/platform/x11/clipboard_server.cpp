#include "platform/x11/clipboard_server.h"

#include <malloc.h>
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <utility>

#include "platform/serving_process.h"
#include "platform/x11/xcb_reply.h"

namespace platform {
namespace {

// How long the caller waits for the serving process to own the clipboard.
constexpr int kOwnDeadlineMs = 5000;
// A requestor that stops taking INCR steps is dropped after this long.
constexpr auto kStepDeadline = std::chrono::seconds(10);

xcb_atom_t Intern(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

void Notify(xcb_connection_t* c, const xcb_selection_request_event_t& request,
            xcb_atom_t property) {
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = property;
    xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notify));
}

// An INCR transfer under way: the next step goes when the requestor has
// deleted the property.
struct Transfer {
    std::size_t sent = 0;
    bool finished = false;  // the empty closing step has gone
    std::chrono::steady_clock::time_point deadline;
};

class Server {
  public:
    Server(xcb_connection_t* c, xcb_window_t window) : c_(c), window_(window) {
        clipboard_ = Intern(c, "CLIPBOARD");
        targets_ = Intern(c, "TARGETS");
        timestamp_ = Intern(c, "TIMESTAMP");
        incr_ = Intern(c, "INCR");
        imagePng_ = Intern(c, "image/png");
        // Bytes per property change, well inside the largest request.
        chunk_ = std::min<std::size_t>(256 * 1024, xcb_get_maximum_request_length(c) * 4 / 2);
    }

    void setPng(std::vector<std::uint8_t> png) { png_ = std::move(png); }

    // Owns the clipboard at `time`; false when another client kept it.
    bool own(xcb_timestamp_t time) {
        time_ = time;
        xcb_set_selection_owner(c_, window_, clipboard_, time);
        Reply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, clipboard_), nullptr));
        return owner && owner->owner == window_;
    }

    // Serves until the selection is lost or the connection ends.
    void run() {
        const int fd = xcb_get_file_descriptor(c_);
        for (;;) {
            xcb_generic_event_t* event = xcb_poll_for_event(c_);
            if (event == nullptr) {
                if (xcb_connection_has_error(c_)) {
                    return;
                }
                dropStalled();
                xcb_flush(c_);
                pollfd wait{fd, POLLIN, 0};
                ::poll(&wait, 1, transfers_.empty() ? -1 : 1000);
                continue;
            }
            Reply<xcb_generic_event_t> owned(event);
            switch (event->response_type & 0x7f) {
                case XCB_SELECTION_CLEAR:
                    return;
                case XCB_SELECTION_REQUEST:
                    answer(*reinterpret_cast<xcb_selection_request_event_t*>(event));
                    break;
                case XCB_PROPERTY_NOTIFY:
                    step(*reinterpret_cast<xcb_property_notify_event_t*>(event));
                    break;
                default:
                    break;
            }
        }
    }

  private:
    void answer(const xcb_selection_request_event_t& request) {
        // Clients before ICCCM 2 name no property: the target stands in.
        const xcb_atom_t property =
            request.property == XCB_ATOM_NONE ? request.target : request.property;
        if (request.selection != clipboard_ || request.target == XCB_ATOM_NONE) {
            Notify(c_, request, XCB_ATOM_NONE);
        } else if (request.target == targets_) {
            const xcb_atom_t offered[] = {targets_, timestamp_, imagePng_};
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                XCB_ATOM_ATOM, 32, 3, offered);
            Notify(c_, request, property);
        } else if (request.target == timestamp_) {
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                XCB_ATOM_INTEGER, 32, 1, &time_);
            Notify(c_, request, property);
        } else if (request.target == imagePng_ && png_.size() <= chunk_) {
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property, imagePng_,
                                8, static_cast<std::uint32_t>(png_.size()), png_.data());
            Notify(c_, request, property);
        } else if (request.target == imagePng_) {
            // INCR: the size first, then a step each time the requestor
            // deletes the property, and an empty step at the end.
            const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(c_, request.requestor, XCB_CW_EVENT_MASK, &mask);
            const auto size = static_cast<std::uint32_t>(png_.size());
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property, incr_, 32,
                                1, &size);
            transfers_[{request.requestor, property}] = {
                0, false, std::chrono::steady_clock::now() + kStepDeadline};
            Notify(c_, request, property);
        } else {
            Notify(c_, request, XCB_ATOM_NONE);
        }
        xcb_flush(c_);
    }

    void step(const xcb_property_notify_event_t& event) {
        if (event.state != XCB_PROPERTY_DELETE) {
            return;
        }
        const auto found = transfers_.find({event.window, event.atom});
        if (found == transfers_.end()) {
            return;
        }
        Transfer& transfer = found->second;
        if (transfer.finished) {
            transfers_.erase(found);
            return;
        }
        const std::size_t length = std::min(chunk_, png_.size() - transfer.sent);
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, event.window, event.atom, imagePng_, 8,
                            static_cast<std::uint32_t>(length), png_.data() + transfer.sent);
        transfer.sent += length;
        transfer.finished = length == 0;
        transfer.deadline = std::chrono::steady_clock::now() + kStepDeadline;
        if (transfer.finished) {
            // The empty step ends it: the requestor may go on to others.
            const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
            xcb_change_window_attributes(c_, event.window, XCB_CW_EVENT_MASK, &none);
            transfers_.erase(found);
        }
        xcb_flush(c_);
    }

    void dropStalled() {
        const auto now = std::chrono::steady_clock::now();
        std::erase_if(transfers_, [now](const auto& entry) { return entry.second.deadline < now; });
    }

    xcb_connection_t* c_;
    xcb_window_t window_;
    std::vector<std::uint8_t> png_;
    xcb_atom_t clipboard_ = XCB_ATOM_NONE, targets_ = XCB_ATOM_NONE, timestamp_ = XCB_ATOM_NONE,
               incr_ = XCB_ATOM_NONE, imagePng_ = XCB_ATOM_NONE;
    xcb_timestamp_t time_ = XCB_CURRENT_TIME;
    std::size_t chunk_ = 0;
    std::map<std::pair<xcb_window_t, xcb_atom_t>, Transfer> transfers_;
};

// A server timestamp: the time of a property change on our own window.
xcb_timestamp_t ServerTime(xcb_connection_t* c, xcb_window_t window) {
    xcb_change_property(c, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                        "");
    xcb_flush(c);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < deadline) {
        Reply<xcb_generic_event_t> event(xcb_poll_for_event(c));
        if (!event) {
            if (xcb_connection_has_error(c)) {
                return XCB_CURRENT_TIME;
            }
            pollfd wait{xcb_get_file_descriptor(c), POLLIN, 0};
            ::poll(&wait, 1, 100);
            continue;
        }
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            return reinterpret_cast<xcb_property_notify_event_t*>(event.get())->time;
        }
    }
    return XCB_CURRENT_TIME;
}

// The serving process: says "1" on `ready` once it owns the clipboard, or
// why not, then serves.
[[noreturn]] void ServeInChild(const char* display, const PngMaker& makePng, int ready) {
    const auto fail = [ready](const char* why) {
        AnswerCaller(ready, why);
        ::_exit(1);
    };
    xcb_connection_t* c = xcb_connect(display, nullptr);
    if (xcb_connection_has_error(c)) {
        fail("the X display cannot be reached");
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    Server server(c, window);
    const xcb_timestamp_t time = ServerTime(c, window);
    if (time == XCB_CURRENT_TIME || !server.own(time)) {
        fail("another client kept the clipboard");
    }
    AnswerCaller(ready, "1");
    std::vector<std::uint8_t> png = makePng();
    // What makePng let go of goes back to the system.
    ::malloc_trim(0);
    if (png.empty()) {
        xcb_disconnect(c);
        ::_exit(1);
    }
    server.setPng(std::move(png));
    server.run();
    xcb_disconnect(c);
    ::_exit(0);
}

}  // namespace

bool ServeClipboardPng(const char* display, const PngMaker& makePng, std::string& error) {
    const ServingAnswer answer = StartServingProcess(
        [display, &makePng](int ready) { ServeInChild(display, makePng, ready); }, kOwnDeadlineMs);
    if (answer.serving) {
        return true;
    }
    error = "cannot copy the picture: " +
            (answer.text.empty() ? std::string("the clipboard process did not answer in time")
                                 : answer.text);
    return false;
}

}  // namespace platform
