#pragma once
// Private to the X11 backends.

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>

#include "platform/x11/x11_screen_reader.h"

namespace platform {

struct X11ScreenReader::Impl {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    bool shmAvailable = false;
    xcb_shm_seg_t shmSeg = 0;
    void* shmAddress = nullptr;
    std::size_t shmSize = 0;

    ~Impl();
    bool ensureSharedMemory(std::size_t bytes);
    void releaseSharedMemory();
};

}  // namespace platform
