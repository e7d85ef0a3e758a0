#include "platform/x11/pointer_and_monitors.h"

#include <xcb/randr.h>
#include <xcb/xfixes.h>

#include <string>

#include "platform/x11/xcb_reply.h"

namespace platform {
namespace {

// The largest pointer picture taken: X servers make them 64 pixels or so.
constexpr int kMaxPointerSide = 512;

std::string AtomName(xcb_connection_t* c, xcb_atom_t atom) {
    Reply<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr));
    if (!reply) {
        return {};
    }
    return std::string(xcb_get_atom_name_name(reply.get()),
                       static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get())));
}

}  // namespace

std::vector<MonitorArea> X11Monitors(const X11Connection& connection) {
    xcb_connection_t* c = connection.get();
    std::vector<MonitorArea> monitors;
    Reply<xcb_randr_get_monitors_reply_t> reply(
        xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, connection.root(), 1), nullptr));
    if (!reply) {
        return monitors;
    }
    for (xcb_randr_monitor_info_iterator_t it =
             xcb_randr_get_monitors_monitors_iterator(reply.get());
         it.rem; xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t& info = *it.data;
        monitors.push_back(
            {AtomName(c, info.name),
             platform::RECT{info.x, info.y, info.x + info.width, info.y + info.height}});
    }
    return monitors;
}

std::optional<std::pair<std::int32_t, std::int32_t>> X11PointerPosition(
    const X11Connection& connection) {
    xcb_connection_t* c = connection.get();
    Reply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, connection.root()), nullptr));
    if (!reply || !reply->same_screen) {
        return std::nullopt;
    }
    return std::make_pair<std::int32_t, std::int32_t>(reply->root_x, reply->root_y);
}

std::optional<PointerPicture> X11PointerPicture(const X11Connection& connection) {
    xcb_connection_t* c = connection.get();
    // The version must be asked for before any other XFixes request.
    Reply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr));
    if (!version || version->major_version < 1) {
        return std::nullopt;
    }
    Reply<xcb_xfixes_get_cursor_image_reply_t> image(
        xcb_xfixes_get_cursor_image_reply(c, xcb_xfixes_get_cursor_image(c), nullptr));
    if (!image || image->width == 0 || image->height == 0 || image->width > kMaxPointerSide ||
        image->height > kMaxPointerSide) {
        return std::nullopt;
    }
    const std::size_t count = static_cast<std::size_t>(image->width) * image->height;
    if (xcb_xfixes_get_cursor_image_cursor_image_length(image.get()) < static_cast<int>(count)) {
        return std::nullopt;
    }
    const std::uint32_t* argb = xcb_xfixes_get_cursor_image_cursor_image(image.get());
    PointerPicture picture;
    picture.left = image->x - image->xhot;
    picture.top = image->y - image->yhot;
    picture.width = image->width;
    picture.height = image->height;
    picture.pixels.assign(argb, argb + count);
    return picture;
}

}  // namespace platform
