#pragma once
// Private to the X11 backends.

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/x11/pixel_format.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_screen_reader.h"

namespace platform {

struct X11ScreenReader::Impl {
    std::shared_ptr<X11Connection> shared;
    xcb_connection_t* connection = nullptr;  // shared's
    xcb_window_t root = 0;
    xcb_colormap_t colormap = 0;
    int depth = 0;
    PixelFormat format;
    bool shmAvailable = false;
    xcb_shm_seg_t shmSeg = 0;
    void* shmAddress = nullptr;
    std::size_t shmSize = 0;

    ~Impl();
    bool ensureSharedMemory(std::size_t bytes);
    // The rows of each of the two strips a read of this width passes through.
    int stripRows(int width, int height) const;
    void releaseSharedMemory();
    // Read a rectangle strip by strip, through shared memory or GetImage.
    bool readShared(int x, int y, int width, int height, int stripRows, std::uint32_t* dest,
                    int destStride);
    bool readStrips(int x, int y, int width, int height, int stripRows, std::uint32_t* dest,
                    int destStride);
};

}  // namespace platform
