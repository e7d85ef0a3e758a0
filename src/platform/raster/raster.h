#pragma once
// What the raster layer offers beyond the GDI-shaped calls: access to a
// context's pixels for painting and writing, clearing, the screen source that
// display contexts read from, and the live-handle count.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/raster/gdi.h"

namespace raster {

struct Size {
    int width = 0;
    int height = 0;
};

// Pixels are 0x00RRGGBB, rows top to bottom, `width` pixels per row.
struct PixelView {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;

    std::uint32_t* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * width; }
};

// Where display contexts get their pixels from: the live screen.
class ScreenSource {
  public:
    virtual ~ScreenSource() = default;
    virtual Size size() = 0;
    // Reads a rectangle that lies wholly within size() into dest, whose rows
    // are destStride pixels apart. Returns false when the screen cannot be read.
    virtual bool read(int x, int y, int width, int height, std::uint32_t* dest, int destStride) = 0;
    // Takes the still picture that size() and read() answer from until the
    // next call, for sources that get the screen whole or not at all (the
    // desktop portal). Returns empty, or why the screen cannot be had now.
    // Sources that read the live screen have nothing to do.
    virtual std::string freeze() { return {}; }
    // A read of a width x height rectangle is coming: the memory it passes
    // through may be set up now, so that the read itself only copies.
    virtual void prepareRead(int /*width*/, int /*height*/) {}
    // Nothing will be read for a while: memory kept for reading may go.
    virtual void releaseIdle() {}
    // Nothing will be read from this copy of the source again (a process
    // that has taken what it needs from a capture): the pixels it holds may
    // go. Its window-system connections are not touched: they may be shut.
    virtual void releaseAll() {}
    // For a caller about to write the whole screen as PNG: a source that
    // gets the screen as a checked PNG file (the desktop portal) keeps that
    // file's bytes from the next freeze() on, and pngFile() gives them, to
    // be copied rather than encoded again. Other sources give none.
    virtual void keepPngFile() {}
    virtual std::span<const std::uint8_t> pngFile() const { return {}; }
};

void SetScreenSource(std::shared_ptr<ScreenSource> source);
std::shared_ptr<ScreenSource> CurrentScreenSource();

// The pixels of the bitmap selected into a memory context, or of a bitmap.
std::optional<PixelView> ContextPixels(HDC dc);
std::optional<PixelView> BitmapPixels(HBITMAP bitmap);

// Fills the whole bitmap selected into dc with one colour.
bool FillContext(HDC dc, std::uint32_t rgb);

// Has the system give a bitmap all of its memory now, which it otherwise
// does page by page as the bitmap is first written. The pixels stay as they
// are. False when there is no such bitmap.
bool TouchBitmap(HBITMAP bitmap);

// The number of contexts and bitmaps not yet deleted.
std::size_t LiveHandleCount();

// The largest bitmap the layer will make, in pixels (about 1 GiB).
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 28;

}  // namespace raster
