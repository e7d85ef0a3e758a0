#pragma once
// Reads the X screen's root window (all monitors) for display contexts, with
// MIT-SHM when the server offers it and plain GetImage otherwise.

#include <memory>
#include <string>

#include "platform/raster/raster.h"

namespace platform {

class X11ScreenReader : public raster::ScreenSource {
  public:
    // How pixels come from the server. Shared memory saves a copy but costs
    // a new segment for each read (the segment is released when the read
    // ends, so that it never stays resident beside the capture): it pays
    // within the window program, GetImage alone for a single quick read.
    enum class Transfer { SharedMemoryWhenOffered, GetImageOnly };

    // Connects to `display` (null: $DISPLAY). On failure returns null and
    // says why in `error`; `unreachable`, when given, tells whether the
    // display itself could not be reached (rather than its screen read).
    static std::unique_ptr<X11ScreenReader> Connect(
        const char* display, std::string& error,
        Transfer transfer = Transfer::SharedMemoryWhenOffered, bool* unreachable = nullptr);
    ~X11ScreenReader() override;

    raster::Size size() override;
    bool read(int x, int y, int width, int height, std::uint32_t* dest, int destStride) override;

    bool usesSharedMemory() const;
    // The reader's own X connection, for the other X11 queries of this layer.
    struct Impl;
    Impl& impl() { return *impl_; }

  private:
    explicit X11ScreenReader(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
