#include "platform/x11/x11_screen_reader.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/x11/display_lost.h"
#include "platform/x11/pixel_format.h"
#include "platform/x11/x11_screen_reader_impl.h"
#include "platform/x11/xcb_reply.h"

namespace platform {
namespace {

// The root window's pixel layout, or why it cannot be read.
std::optional<PixelFormat> RootPixelFormat(const xcb_setup_t* setup, const xcb_screen_t* screen,
                                           std::string& error) {
    PixelFormat format;
    format.mostSignificantByteFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    bool found = false;
    for (xcb_format_iterator_t it = xcb_setup_pixmap_formats_iterator(setup); it.rem;
         xcb_format_next(&it)) {
        if (it.data->depth == screen->root_depth) {
            format.bitsPerPixel = it.data->bits_per_pixel;
            format.scanlinePadBits = it.data->scanline_pad;
            found = true;
        }
    }
    const xcb_visualtype_t* visual = nullptr;
    for (xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(screen); d.rem && !visual;
         xcb_depth_next(&d)) {
        for (xcb_visualtype_iterator_t v = xcb_depth_visuals_iterator(d.data); v.rem;
             xcb_visualtype_next(&v)) {
            if (v.data->visual_id == screen->root_visual) {
                visual = v.data;
                break;
            }
        }
    }
    const std::string depth = std::to_string(screen->root_depth);
    if (!found || !visual) {
        error = "the X server does not describe the pixels of its depth-" + depth + " screen";
        return std::nullopt;
    }
    const bool colourVisual = visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR ||
                              visual->_class == XCB_VISUAL_CLASS_DIRECT_COLOR;
    if (colourVisual) {
        format.redMask = visual->red_mask;
        format.greenMask = visual->green_mask;
        format.blueMask = visual->blue_mask;
    } else {
        // Filled from the colour map at each read; one entry says "palette".
        format.palette.assign(1, 0);
    }
    if (std::optional<std::string> reason = UnreadableReason(format)) {
        error = "this program cannot read the X screen's depth-" + depth + " pixels: " + *reason;
        return std::nullopt;
    }
    return format;
}

// The colours of every pixel value of a palette screen, from its colour map
// as it is now.
bool ReadPalette(xcb_connection_t* c, xcb_colormap_t colormap, int depth,
                 std::vector<std::uint32_t>& palette) {
    const int entries = 1 << std::min(depth, 8);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        pixels[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(i);
    }
    Reply<xcb_query_colors_reply_t> reply(xcb_query_colors_reply(
        c, xcb_query_colors(c, colormap, static_cast<std::uint32_t>(entries), pixels.data()),
        nullptr));
    if (!reply || xcb_query_colors_colors_length(reply.get()) < entries) {
        return false;
    }
    const xcb_rgb_t* colours = xcb_query_colors_colors(reply.get());
    palette.resize(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        palette[static_cast<std::size_t>(i)] =
            PaletteColour(colours[i].red, colours[i].green, colours[i].blue);
    }
    return true;
}

}  // namespace

X11ScreenReader::Impl::~Impl() {
    releaseSharedMemory();
}

void X11ScreenReader::Impl::releaseSharedMemory() {
    if (shmAddress) {
        xcb_shm_detach(connection, shmSeg);
        xcb_flush(connection);
        shmdt(shmAddress);
        shmAddress = nullptr;
        shmSize = 0;
    }
}

bool X11ScreenReader::Impl::ensureSharedMemory(std::size_t bytes) {
    if (shmAddress && shmSize >= bytes) {
        return true;
    }
    releaseSharedMemory();
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0) {
        return false;
    }
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    const xcb_shm_seg_t seg = xcb_generate_id(connection);
    Reply<xcb_generic_error_t> error(
        xcb_request_check(connection, xcb_shm_attach_checked(connection, seg, id, 0)));
    // Marked for removal now: it goes when both sides have detached.
    shmctl(id, IPC_RMID, nullptr);
    if (error) {
        shmdt(address);
        return false;
    }
    shmSeg = seg;
    shmAddress = address;
    shmSize = bytes;
    return true;
}

X11ScreenReader::X11ScreenReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
X11ScreenReader::~X11ScreenReader() = default;

std::unique_ptr<X11ScreenReader> X11ScreenReader::Open(std::shared_ptr<X11Connection> connection,
                                                       std::string& error, Transfer transfer) {
    auto impl = std::make_unique<Impl>();
    impl->connection = connection->get();
    impl->shared = connection;
    const xcb_screen_t* screen = &connection->screen();
    impl->root = screen->root;
    impl->colormap = screen->default_colormap;
    impl->depth = screen->root_depth;
    std::optional<PixelFormat> format =
        RootPixelFormat(xcb_get_setup(impl->connection), screen, error);
    if (!format) {
        return nullptr;
    }
    impl->format = std::move(*format);
    if (transfer == Transfer::SharedMemoryWhenOffered &&
        std::getenv("TESSARINE_NO_SHM") == nullptr) {
        Reply<xcb_shm_query_version_reply_t> shm(xcb_shm_query_version_reply(
            impl->connection, xcb_shm_query_version(impl->connection), nullptr));
        impl->shmAvailable = shm != nullptr;
    }
    return std::unique_ptr<X11ScreenReader>(new X11ScreenReader(std::move(impl)));
}

raster::Size X11ScreenReader::size() {
    Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(
        impl_->connection, xcb_get_geometry(impl_->connection, impl_->root), nullptr));
    if (!geometry) {
        EndIfDisplayLost(impl_->connection);
        return {};
    }
    return {geometry->width, geometry->height};
}

void X11ScreenReader::releaseIdle() {
    impl_->releaseSharedMemory();
}

bool X11ScreenReader::usesSharedMemory() const {
    return impl_->shmAvailable;
}

int X11ScreenReader::Impl::stripRows(int width, int height) const {
    // A strip of about 1 MiB at a time, the next strip asked for before the
    // last one is converted. The transfer memory then stays small whatever
    // the screen's size, and each strip is still in the cache when it is
    // converted.
    constexpr std::size_t kStripBytes = std::size_t{1} << 20;
    return static_cast<int>(std::clamp<std::size_t>(kStripBytes / format.rowBytes(width), 1,
                                                    static_cast<std::size_t>(height)));
}

void X11ScreenReader::prepareRead(int width, int height) {
    if (!impl_->shmAvailable || width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF) {
        return;
    }
    const std::size_t bytes = 2 * impl_->format.rowBytes(width) *
                              static_cast<std::size_t>(impl_->stripRows(width, height));
    // Written once here, the pages are in place when the converter reads them.
    if (impl_->ensureSharedMemory(bytes)) {
        std::memset(impl_->shmAddress, 0, bytes);
    }
}

bool X11ScreenReader::read(int x, int y, int width, int height, std::uint32_t* dest,
                           int destStride) {
    if (width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF) {
        return false;
    }
    if (!impl_->format.palette.empty() &&
        !ReadPalette(impl_->connection, impl_->colormap, impl_->depth, impl_->format.palette)) {
        EndIfDisplayLost(impl_->connection);
        return false;
    }
    const int stripRows = impl_->stripRows(width, height);
    if (impl_->shmAvailable) {
        if (impl_->readShared(x, y, width, height, stripRows, dest, destStride)) {
            return true;
        }
        // A lost display ends the program; any other failure of shared
        // memory (a remote server, say) means GetImage from now on.
        EndIfDisplayLost(impl_->connection);
        impl_->releaseSharedMemory();
        impl_->shmAvailable = false;
    }
    return impl_->readStrips(x, y, width, height, stripRows, dest, destStride);
}

bool X11ScreenReader::Impl::readShared(int x, int y, int width, int height, int stripRows,
                                       std::uint32_t* dest, int destStride) {
    const std::size_t stride = format.rowBytes(width);
    const std::size_t half = stride * static_cast<std::size_t>(stripRows);
    // Two halves: the server fills one while the other is converted.
    if (!ensureSharedMemory(2 * half)) {
        return false;
    }
    const auto request = [&](int top) {
        return xcb_shm_get_image(connection, root, static_cast<std::int16_t>(x),
                                 static_cast<std::int16_t>(y + top),
                                 static_cast<std::uint16_t>(width),
                                 static_cast<std::uint16_t>(std::min(stripRows, height - top)), ~0u,
                                 XCB_IMAGE_FORMAT_Z_PIXMAP, shmSeg,
                                 static_cast<std::uint32_t>((top / stripRows) % 2 * half));
    };
    xcb_shm_get_image_cookie_t next = request(0);
    for (int top = 0; top < height; top += stripRows) {
        const int rows = std::min(stripRows, height - top);
        const xcb_shm_get_image_cookie_t current = next;
        const bool more = top + rows < height;
        if (more) {
            next = request(top + rows);
        }
        Reply<xcb_shm_get_image_reply_t> reply(
            xcb_shm_get_image_reply(connection, current, nullptr));
        if (!reply) {
            if (more) {
                xcb_discard_reply(connection, next.sequence);
            }
            return false;
        }
        const auto* data =
            static_cast<const std::uint8_t*>(shmAddress) + (top / stripRows) % 2 * half;
        ConvertRows(format, data, stride, width, rows,
                    dest + static_cast<std::ptrdiff_t>(top) * destStride, destStride);
    }
    return true;
}

bool X11ScreenReader::Impl::readStrips(int x, int y, int width, int height, int stripRows,
                                       std::uint32_t* dest, int destStride) {
    const std::size_t stride = format.rowBytes(width);
    const auto request = [&](int top) {
        return xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root,
                             static_cast<std::int16_t>(x), static_cast<std::int16_t>(y + top),
                             static_cast<std::uint16_t>(width),
                             static_cast<std::uint16_t>(std::min(stripRows, height - top)), ~0u);
    };
    xcb_get_image_cookie_t next = request(0);
    for (int top = 0; top < height; top += stripRows) {
        const int rows = std::min(stripRows, height - top);
        const xcb_get_image_cookie_t current = next;
        const bool more = top + rows < height;
        if (more) {
            next = request(top + rows);
        }
        Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(connection, current, nullptr));
        if (!reply || static_cast<std::size_t>(xcb_get_image_data_length(reply.get())) <
                          stride * static_cast<std::size_t>(rows)) {
            if (more) {
                xcb_discard_reply(connection, next.sequence);
            }
            EndIfDisplayLost(connection);
            return false;
        }
        ConvertRows(format, xcb_get_image_data(reply.get()), stride, width, rows,
                    dest + static_cast<std::ptrdiff_t>(top) * destStride, destStride);
    }
    return true;
}

}  // namespace platform
