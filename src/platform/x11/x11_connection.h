#pragma once
// The process's one connection to the X server, shared by every X11 part:
// the screen reader, the window queries, the XWayland check and the root
// window the key grabs go on. Private to the X11 backend.

#include <xcb/xcb.h>

#include <memory>
#include <string>

namespace platform {

class X11Connection {
  public:
    // The connection to `display` (null: $DISPLAY), opened on the first call
    // and kept until the process ends: were it the server's only client,
    // closing it would make the server reset, and the connection that comes
    // next (the toolkit's, say) could be refused meanwhile. Later calls for
    // the same display get the same connection. On failure returns null and
    // says why in `error`; `unreachable`, when given, tells whether the
    // display itself could not be reached (rather than its screen found).
    static std::shared_ptr<X11Connection> Open(const char* display, std::string& error,
                                               bool* unreachable = nullptr);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* get() const { return connection_; }
    // The screen the display name chose, and its root window.
    const xcb_screen_t& screen() const { return *screen_; }
    xcb_window_t root() const { return screen_->root; }

    // True when the server is XWayland: its RandR outputs are named
    // XWAYLAND0, XWAYLAND1, ...
    bool IsXWayland() const;

  private:
    X11Connection(xcb_connection_t* connection, const xcb_screen_t* screen)
        : connection_(connection), screen_(screen) {}
    xcb_connection_t* connection_;
    const xcb_screen_t* screen_;
};

}  // namespace platform
