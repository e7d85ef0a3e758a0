#include "platform/x11/monitor_pixels.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace platform {
namespace {

xcb_connection_t* Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

QString AtomName(xcb_connection_t* connection, xcb_atom_t atom) {
    Reply<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(connection, xcb_get_atom_name(connection, atom), nullptr),
        &std::free);
    if (!reply) {
        return {};
    }
    return QString::fromLatin1(xcb_get_atom_name_name(reply.get()),
                               xcb_get_atom_name_name_length(reply.get()));
}

}  // namespace

std::vector<MonitorPixels> MonitorPixelRects() {
    std::vector<MonitorPixels> monitors;
    xcb_connection_t* connection = Connection();
    if (!connection) {
        return monitors;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen) {
        return monitors;
    }
    Reply<xcb_randr_get_monitors_reply_t> reply(
        xcb_randr_get_monitors_reply(connection,
                                     xcb_randr_get_monitors(connection, screen->root, 1), nullptr),
        &std::free);
    if (!reply) {
        return monitors;
    }
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem;
         xcb_randr_monitor_info_next(&it)) {
        monitors.push_back({AtomName(connection, it.data->name),
                            QRect(it.data->x, it.data->y, it.data->width, it.data->height)});
    }
    return monitors;
}

QSize RootWindowSize() {
    xcb_connection_t* connection = Connection();
    const xcb_screen_t* screen =
        connection ? xcb_setup_roots_iterator(xcb_get_setup(connection)).data : nullptr;
    if (!screen) {
        return {};
    }
    // The root grows and shrinks with the outputs: ask for its size now.
    Reply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, screen->root), nullptr),
        &std::free);
    return reply ? QSize(reply->width, reply->height) : QSize();
}

void PlaceInScreenPixels(QWindow* window, const QRect& pixels) {
    xcb_connection_t* connection = Connection();
    if (!window || !connection || pixels.isEmpty()) {
        return;
    }
    const std::uint32_t values[] = {
        static_cast<std::uint32_t>(pixels.x()), static_cast<std::uint32_t>(pixels.y()),
        static_cast<std::uint32_t>(pixels.width()), static_cast<std::uint32_t>(pixels.height())};
    xcb_configure_window(connection, static_cast<xcb_window_t>(window->winId()),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    xcb_flush(connection);
}

}  // namespace platform
