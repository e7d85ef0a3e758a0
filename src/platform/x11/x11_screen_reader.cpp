#include "platform/x11/x11_screen_reader.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>

#include "platform/x11/x11_screen_reader_impl.h"
#include "platform/x11/xcb_reply.h"

namespace platform {
namespace {

// Pixels must come as 32 bits per pixel, little-endian, 24-bit colour: what
// every X server on a PC offers for its default visual.
bool ZPixmapIs32BitLittleEndian(xcb_connection_t* c, std::uint8_t depth) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
        return false;
    }
    xcb_format_iterator_t it = xcb_setup_pixmap_formats_iterator(setup);
    for (; it.rem; xcb_format_next(&it)) {
        if (it.data->depth == depth) {
            return it.data->bits_per_pixel == 32;
        }
    }
    return false;
}

void CopyRows(const std::uint8_t* data, int width, int height, std::uint32_t* dest,
              int destStride) {
    for (int row = 0; row < height; ++row) {
        std::uint32_t* out = dest + static_cast<std::ptrdiff_t>(row) * destStride;
        std::memcpy(out, data + static_cast<std::size_t>(row) * width * 4,
                    static_cast<std::size_t>(width) * 4);
        for (int i = 0; i < width; ++i) {
            out[i] &= 0x00FFFFFF;
        }
    }
}

}  // namespace

X11ScreenReader::Impl::~Impl() {
    releaseSharedMemory();
    if (connection) {
        xcb_disconnect(connection);
    }
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

std::unique_ptr<X11ScreenReader> X11ScreenReader::Connect(const char* display, std::string& error) {
    int screenNumber = 0;
    auto impl = std::make_unique<Impl>();
    impl->connection = xcb_connect(display, &screenNumber);
    if (xcb_connection_has_error(impl->connection)) {
        const char* name = display ? display : std::getenv("DISPLAY");
        error = std::string("cannot open X display \"") + (name ? name : "") + "\"";
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(impl->connection));
    for (int i = 0; i < screenNumber && it.rem; ++i) {
        xcb_screen_next(&it);
    }
    if (!it.rem) {
        error = "the X display has no such screen";
        return nullptr;
    }
    impl->root = it.data->root;
    if (!ZPixmapIs32BitLittleEndian(impl->connection, it.data->root_depth)) {
        error = "the X screen's pixel format is not 32-bit little-endian colour";
        return nullptr;
    }
    Reply<xcb_shm_query_version_reply_t> shm(xcb_shm_query_version_reply(
        impl->connection, xcb_shm_query_version(impl->connection), nullptr));
    impl->shmAvailable = shm != nullptr && std::getenv("TESSARINE_NO_SHM") == nullptr;
    return std::unique_ptr<X11ScreenReader>(new X11ScreenReader(std::move(impl)));
}

raster::Size X11ScreenReader::size() {
    Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(
        impl_->connection, xcb_get_geometry(impl_->connection, impl_->root), nullptr));
    if (!geometry) {
        return {};
    }
    return {geometry->width, geometry->height};
}

bool X11ScreenReader::usesSharedMemory() const {
    return impl_->shmAvailable;
}

bool X11ScreenReader::read(int x, int y, int width, int height, std::uint32_t* dest,
                           int destStride) {
    if (width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF) {
        return false;
    }
    xcb_connection_t* c = impl_->connection;
    const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
    if (impl_->shmAvailable && impl_->ensureSharedMemory(bytes)) {
        Reply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(
            c,
            xcb_shm_get_image(c, impl_->root, static_cast<std::int16_t>(x),
                              static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                              static_cast<std::uint16_t>(height), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
                              impl_->shmSeg, 0),
            nullptr));
        if (reply) {
            CopyRows(static_cast<const std::uint8_t*>(impl_->shmAddress), width, height, dest,
                     destStride);
            return true;
        }
        // Shared memory failed once (a remote server, say): use GetImage from now on.
        impl_->releaseSharedMemory();
        impl_->shmAvailable = false;
    }
    Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, impl_->root, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), ~0u),
        nullptr));
    if (!reply || static_cast<std::size_t>(xcb_get_image_data_length(reply.get())) < bytes) {
        return false;
    }
    CopyRows(xcb_get_image_data(reply.get()), width, height, dest, destStride);
    return true;
}

}  // namespace platform
