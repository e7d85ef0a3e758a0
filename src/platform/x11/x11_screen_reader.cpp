#include "platform/x11/x11_screen_reader.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/x11/display_lost.h"
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

// Built twice on x86-64, for AVX2 and for the baseline, and chosen when the
// program loads: the copy then runs at the speed of memcpy.
#if defined(__x86_64__) && defined(__GNUC__)
#define TESSARINE_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TESSARINE_VECTOR_CLONES
#endif

TESSARINE_VECTOR_CLONES
void CopyRows(const std::uint8_t* data, int width, int height, std::uint32_t* dest,
              int destStride) {
    // Eight pixels at a time, the unused top byte of each dropped: one pass
    // at the speed of a plain copy.
    using EightPixels = std::uint32_t __attribute__((vector_size(32)));
    for (int row = 0; row < height; ++row) {
        std::uint32_t* out = dest + static_cast<std::ptrdiff_t>(row) * destStride;
        const std::uint8_t* in = data + static_cast<std::size_t>(row) * width * 4;
        int i = 0;
        for (; i + 8 <= width; i += 8) {
            EightPixels pixels;
            std::memcpy(&pixels, in + static_cast<std::size_t>(i) * 4, sizeof pixels);
            pixels &= 0x00FFFFFF;
            std::memcpy(out + i, &pixels, sizeof pixels);
        }
        for (; i < width; ++i) {
            std::uint32_t pixel;
            std::memcpy(&pixel, in + static_cast<std::size_t>(i) * 4, 4);
            out[i] = pixel & 0x00FFFFFF;
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

std::unique_ptr<X11ScreenReader> X11ScreenReader::Connect(const char* display, std::string& error,
                                                          Transfer transfer) {
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
        // A lost display ends the program; any other failure of shared
        // memory (a remote server, say) means GetImage from now on.
        EndIfDisplayLost(c);
        impl_->releaseSharedMemory();
        impl_->shmAvailable = false;
    }
    // GetImage a strip of about 1 MiB at a time, the next strip asked for
    // before the last one is copied. Each reply buffer is then small enough
    // for the heap to reuse instead of mapping fresh pages and faulting
    // them in one by one, and is still in the cache when it is copied.
    constexpr std::size_t kStripBytes = std::size_t{1} << 20;
    const int stripRows =
        std::max(1, static_cast<int>(kStripBytes / (static_cast<std::size_t>(width) * 4)));
    const auto request = [&](int top) {
        return xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, impl_->root,
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
        Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(c, current, nullptr));
        if (!reply || static_cast<std::size_t>(xcb_get_image_data_length(reply.get())) <
                          static_cast<std::size_t>(width) * rows * 4) {
            if (more) {
                xcb_discard_reply(c, next.sequence);
            }
            EndIfDisplayLost(c);
            return false;
        }
        CopyRows(xcb_get_image_data(reply.get()), width, rows,
                 dest + static_cast<std::ptrdiff_t>(top) * destStride, destStride);
    }
    return true;
}

}  // namespace platform
