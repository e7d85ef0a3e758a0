#pragma once
// Reads the X screen's root window (all monitors) for display contexts, with
// MIT-SHM when the server offers it and plain GetImage otherwise.

#include <memory>
#include <string>

#include "platform/raster/raster.h"

namespace platform {

class X11Connection;

class X11ScreenReader : public raster::ScreenSource {
  public:
    // How pixels come from the server. Shared memory saves a copy on every
    // read but costs a new segment for the reader's first and after each
    // releaseIdle(): it pays when the screen is read again and again,
    // GetImage alone when it is read once. Either way the pixels come in
    // strips of about 1 MiB, so the segment stays small whatever the
    // screen's size.
    enum class Transfer { SharedMemoryWhenOffered, GetImageOnly };

    // Reads the screen of `connection`. On failure returns null and says
    // why in `error`.
    static std::unique_ptr<X11ScreenReader> Open(
        std::shared_ptr<X11Connection> connection, std::string& error,
        Transfer transfer = Transfer::SharedMemoryWhenOffered);
    ~X11ScreenReader() override;

    raster::Size size() override;
    bool read(int x, int y, int width, int height, std::uint32_t* dest, int destStride) override;
    // Makes the shared-memory segment such a read uses, with its pages in.
    void prepareRead(int width, int height) override;
    // Gives the shared-memory segment back until the next read.
    void releaseIdle() override;

    bool usesSharedMemory() const;
    struct Impl;

  private:
    explicit X11ScreenReader(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
