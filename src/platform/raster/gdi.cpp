#include "platform/raster/gdi.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "platform/raster/handle_table.h"
#include "platform/raster/pages.h"
#include "platform/raster/raster.h"
#include "platform/raster/stretch.h"

namespace raster {
namespace {

// Hands out zeroed memory and leaves the elements it creates as they are: a
// new bitmap is black without a pass over it, since fresh pages from the
// system are zero. Blocks of a large page and more (a screen-sized bitmap)
// come from the system's pages directly (pages.h): a 1920 x 1080 bitmap
// then costs a handful of page faults instead of two thousand, and goes
// back to the system when it is deleted.
template <typename T>
struct ZeroedAllocator {
    using value_type = T;
    ZeroedAllocator() = default;
    template <typename U>
    ZeroedAllocator(const ZeroedAllocator<U>&) {}
    T* allocate(std::size_t n) {
        void* p = n * sizeof(T) >= kLargePage ? MapPages(n * sizeof(T)) : std::calloc(n, sizeof(T));
        if (!p) {
            throw std::bad_alloc();
        }
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t n) {
        if (n * sizeof(T) >= kLargePage) {
            UnmapPages(p, n * sizeof(T));
        } else {
            std::free(p);
        }
    }
    // Value-initialisation (resize) keeps the zeroes the memory came with.
    void construct(T*) {}
    template <typename... Args>
    void construct(T* p, Args&&... args) {
        ::new (static_cast<void*>(p)) T(std::forward<Args>(args)...);
    }
    template <typename U>
    bool operator==(const ZeroedAllocator<U>&) const {
        return true;
    }
};

struct Object {
    enum class Kind { DisplayContext, MemoryContext, Bitmap };
    explicit Object(Kind k) : kind(k) {}
    Kind kind;
    // Bitmaps
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t, ZeroedAllocator<std::uint32_t>> pixels;
    HDC selectedInto = 0;
    // Memory contexts
    HBITMAP selected = 0;
    int stretchMode = COLORONCOLOR;
};

struct State {
    HandleTable<Object> objects;
    std::shared_ptr<ScreenSource> screen;
};

State& state() {
    static State s;
    return s;
}

Object* findKind(std::uint32_t handle, Object::Kind kind) {
    Object* o = state().objects.find(handle);
    return (o && o->kind == kind) ? o : nullptr;
}

Object* findContext(HDC dc) {
    Object* o = state().objects.find(dc);
    return (o && o->kind != Object::Kind::Bitmap) ? o : nullptr;
}

// The bitmap a memory context draws into, or null.
Object* targetBitmap(HDC dc) {
    Object* context = findKind(dc, Object::Kind::MemoryContext);
    return context ? findKind(context->selected, Object::Kind::Bitmap) : nullptr;
}

struct Rect {
    std::int64_t x0, y0, x1, y1;  // half-open
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};

Rect intersect(Rect a, Rect b) {
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

// A source's pixels: a bitmap's, or a snapshot of part of the screen taken
// now. `origin` is the source coordinate of pixels[0].
struct SourcePixels {
    const std::uint32_t* pixels = nullptr;
    int stride = 0;
    Rect valid{};           // source coordinates that may be read
    bool outsideIsBlack{};  // display sources show black beyond the screen
    std::int64_t originX = 0, originY = 0;
    std::vector<std::uint32_t> owned;

    const std::uint32_t* ptr(std::int64_t x, std::int64_t y) const {
        return pixels + (y - originY) * stride + (x - originX);
    }
    std::uint32_t at(std::int64_t x, std::int64_t y) const { return *ptr(x, y); }
};

// Prepares the pixels of `wanted` (source coordinates). Returns false when
// the source handle is not a usable context.
bool loadSource(HDC source, Rect wanted, SourcePixels& out) {
    Object* context = findContext(source);
    if (!context) {
        return false;
    }
    if (context->kind == Object::Kind::MemoryContext) {
        Object* bitmap = findKind(context->selected, Object::Kind::Bitmap);
        if (!bitmap) {
            return false;
        }
        out.pixels = bitmap->pixels.data();
        out.stride = bitmap->width;
        out.valid = {0, 0, bitmap->width, bitmap->height};
        return true;
    }
    // Display: read the on-screen part of the wanted rectangle now.
    const auto& screen = state().screen;
    if (!screen) {
        return false;
    }
    const Size size = screen->size();
    out.outsideIsBlack = true;
    out.valid = intersect(wanted, {0, 0, size.width, size.height});
    if (out.valid.empty()) {
        return true;
    }
    const auto w = out.valid.x1 - out.valid.x0;
    const auto h = out.valid.y1 - out.valid.y0;
    try {
        out.owned.resize(static_cast<std::size_t>(w * h));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!screen->read(static_cast<int>(out.valid.x0), static_cast<int>(out.valid.y0),
                      static_cast<int>(w), static_cast<int>(h), out.owned.data(),
                      static_cast<int>(w))) {
        return false;
    }
    out.pixels = out.owned.data();
    out.stride = static_cast<int>(w);
    out.originX = out.valid.x0;
    out.originY = out.valid.y0;
    return true;
}

// Stretching within one bitmap must read the source as it was before the
// call, not pixels the same call has already written: copies the readable
// part of `wanted` aside and reads from there.
bool SnapshotSource(Rect wanted, SourcePixels& src) {
    const Rect readable = intersect(wanted, src.valid);
    if (readable.empty()) {
        return true;
    }
    const auto w = readable.x1 - readable.x0;
    const auto h = readable.y1 - readable.y0;
    std::vector<std::uint32_t> copy;
    try {
        copy.resize(static_cast<std::size_t>(w * h));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::int64_t row = 0; row < h; ++row) {
        std::memcpy(copy.data() + row * w, src.ptr(readable.x0, readable.y0 + row),
                    static_cast<std::size_t>(w) * sizeof(std::uint32_t));
    }
    src.owned = std::move(copy);
    src.pixels = src.owned.data();
    src.stride = static_cast<int>(w);
    src.valid = readable;
    src.originX = readable.x0;
    src.originY = readable.y0;
    return true;
}

// BitBlt from a display context: the screen's part of the rectangle is read
// straight into the bitmap (a bitmap never overlaps the screen, so there is
// nothing to snapshot first), the rest of destClip is made black. The
// source rectangle is destClip moved by (dx, dy). When the screen cannot be
// read it returns false, and part of the rectangle may have been written.
bool BlitFromScreen(Object& target, Rect destClip, std::int64_t dx, std::int64_t dy) {
    const auto& screen = state().screen;
    if (!screen) {
        return false;
    }
    const Size size = screen->size();
    const Rect wanted{destClip.x0 + dx, destClip.y0 + dy, destClip.x1 + dx, destClip.y1 + dy};
    const Rect copy = intersect(wanted, {0, 0, size.width, size.height});
    const auto at = [&](std::int64_t x, std::int64_t y) {
        return target.pixels.data() + y * target.width + x;
    };
    Rect filled{destClip.x0, destClip.y0, destClip.x0, destClip.y0};  // no pixels
    if (!copy.empty()) {
        if (!screen->read(static_cast<int>(copy.x0), static_cast<int>(copy.y0),
                          static_cast<int>(copy.x1 - copy.x0), static_cast<int>(copy.y1 - copy.y0),
                          at(copy.x0 - dx, copy.y0 - dy), target.width)) {
            return false;
        }
        filled = {copy.x0 - dx, copy.y0 - dy, copy.x1 - dx, copy.y1 - dy};
    }
    // Off the screen: black.
    for (std::int64_t y = destClip.y0; y < destClip.y1; ++y) {
        if (y < filled.y0 || y >= filled.y1) {
            std::fill_n(at(destClip.x0, y), destClip.x1 - destClip.x0, 0u);
        } else {
            std::fill_n(at(destClip.x0, y), filled.x0 - destClip.x0, 0u);
            std::fill_n(at(filled.x1, y), destClip.x1 - filled.x1, 0u);
        }
    }
    return true;
}

bool inside(const Rect& r, std::int64_t x, std::int64_t y) {
    return x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1;
}

}  // namespace

void SetScreenSource(std::shared_ptr<ScreenSource> source) {
    state().screen = std::move(source);
}

std::shared_ptr<ScreenSource> CurrentScreenSource() {
    return state().screen;
}

std::optional<PixelView> BitmapPixels(HBITMAP bitmap) {
    Object* o = findKind(bitmap, Object::Kind::Bitmap);
    if (!o) {
        return std::nullopt;
    }
    return PixelView{o->pixels.data(), o->width, o->height};
}

std::optional<PixelView> ContextPixels(HDC dc) {
    Object* context = findKind(dc, Object::Kind::MemoryContext);
    return context ? BitmapPixels(context->selected) : std::nullopt;
}

bool FillContext(HDC dc, std::uint32_t rgb) {
    Object* bitmap = targetBitmap(dc);
    if (!bitmap) {
        return false;
    }
    std::fill(bitmap->pixels.begin(), bitmap->pixels.end(), rgb & 0xFFFFFF);
    return true;
}

bool TouchBitmap(HBITMAP bitmap) {
    Object* o = findKind(bitmap, Object::Kind::Bitmap);
    if (!o) {
        return false;
    }
    // One write a page; volatile, so that writing back what is there stays.
    const std::size_t pixelsPerPage = PageSize() / sizeof(std::uint32_t);
    volatile std::uint32_t* pixels = o->pixels.data();
    for (std::size_t i = 0; i < o->pixels.size(); i += pixelsPerPage) {
        pixels[i] = pixels[i];
    }
    return true;
}

std::size_t LiveHandleCount() {
    return state().objects.live();
}

HDC CreateDCA(const char* driver, const char* device, const char* output, const void* initData) {
    if (!driver || std::strcmp(driver, "DISPLAY") != 0 || device || output || initData) {
        return 0;
    }
    return state().objects.insert(std::make_unique<Object>(Object::Kind::DisplayContext));
}

HDC CreateCompatibleDC(HDC reference) {
    if (!raster::findContext(reference)) {
        return 0;
    }
    return state().objects.insert(std::make_unique<Object>(Object::Kind::MemoryContext));
}

HBITMAP CreateCompatibleBitmap(HDC reference, int width, int height) {
    if (!raster::findContext(reference) || width <= 0 || height <= 0 ||
        std::int64_t{width} * height > raster::kMaxBitmapPixels) {
        return 0;
    }
    try {
        auto bitmap = std::make_unique<Object>(Object::Kind::Bitmap);
        bitmap->width = width;
        bitmap->height = height;
        bitmap->pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        return state().objects.insert(std::move(bitmap));
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    Object* context = raster::findKind(dc, Object::Kind::MemoryContext);
    Object* bitmap = raster::findKind(object, Object::Kind::Bitmap);
    if (!context || !bitmap || (bitmap->selectedInto != 0 && bitmap->selectedInto != dc)) {
        return 0;
    }
    const HBITMAP previous = context->selected;
    if (Object* old = raster::findKind(previous, Object::Kind::Bitmap)) {
        old->selectedInto = 0;
    }
    context->selected = object;
    bitmap->selectedInto = dc;
    return previous;
}

bool BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            std::uint32_t rop) {
    Object* target = raster::targetBitmap(dest);
    if (!target || rop != SRCCOPY) {
        return false;
    }
    if (width <= 0 || height <= 0) {
        return raster::findContext(source) != nullptr;
    }
    // Destination rectangle clipped to the bitmap; the source offset follows.
    const Rect wantedDest{x, y, std::int64_t{x} + width, std::int64_t{y} + height};
    const Rect destClip = raster::intersect(wantedDest, {0, 0, target->width, target->height});
    const std::int64_t dx = std::int64_t{sourceX} - x;
    const std::int64_t dy = std::int64_t{sourceY} - y;
    const Rect wantedSource{destClip.x0 + dx, destClip.y0 + dy, destClip.x1 + dx, destClip.y1 + dy};
    if (raster::findKind(source, Object::Kind::DisplayContext) && !destClip.empty()) {
        return raster::BlitFromScreen(*target, destClip, dx, dy);
    }
    raster::SourcePixels src;
    if (!raster::loadSource(source, wantedSource, src)) {
        return false;
    }
    if (destClip.empty()) {
        return true;
    }
    if (src.outsideIsBlack) {
        for (std::int64_t row = destClip.y0; row < destClip.y1; ++row) {
            std::fill_n(target->pixels.data() + row * target->width + destClip.x0,
                        destClip.x1 - destClip.x0, 0u);
        }
    }
    const Rect copy = raster::intersect(wantedSource, src.valid);
    if (copy.empty()) {
        return true;
    }
    // Rows go bottom-up when copying downwards within one bitmap.
    const bool upwards = dy < 0;
    for (std::int64_t n = 0; n < copy.y1 - copy.y0; ++n) {
        const std::int64_t sy = upwards ? copy.y1 - 1 - n : copy.y0 + n;
        std::uint32_t* out = target->pixels.data() + (sy - dy) * target->width + (copy.x0 - dx);
        const std::uint32_t* in = src.ptr(copy.x0, sy);
        std::memmove(out, in, static_cast<std::size_t>(copy.x1 - copy.x0) * sizeof(std::uint32_t));
    }
    return true;
}

bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, std::uint32_t rop) {
    Object* context = raster::findKind(dest, Object::Kind::MemoryContext);
    Object* target = raster::targetBitmap(dest);
    if (!target || rop != SRCCOPY) {
        return false;
    }
    if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) {
        return raster::findContext(source) != nullptr;
    }
    const Rect wantedSource{sourceX, sourceY, std::int64_t{sourceX} + sourceWidth,
                            std::int64_t{sourceY} + sourceHeight};
    raster::SourcePixels src;
    if (!raster::loadSource(source, wantedSource, src)) {
        return false;
    }
    const Rect destClip =
        raster::intersect({x, y, std::int64_t{x} + width, std::int64_t{y} + height},
                          {0, 0, target->width, target->height});
    if (destClip.empty()) {
        return true;
    }
    if (src.pixels == target->pixels.data() && !raster::SnapshotSource(wantedSource, src)) {
        return false;
    }
    // Relative to the destination rectangle's origin.
    const int i0 = static_cast<int>(destClip.x0 - x), i1 = static_cast<int>(destClip.x1 - x);
    const int j0 = static_cast<int>(destClip.y0 - y), j1 = static_cast<int>(destClip.y1 - y);
    const Rect readable = raster::intersect(wantedSource, src.valid);
    const bool wholeSourceReadable =
        readable.x0 == wantedSource.x0 && readable.y0 == wantedSource.y0 &&
        readable.x1 == wantedSource.x1 && readable.y1 == wantedSource.y1;
    std::uint32_t* destCorner = target->pixels.data() + destClip.y0 * target->width + destClip.x0;
    if (context->stretchMode == HALFTONE && wholeSourceReadable &&
        (sourceWidth > width || sourceHeight > height)) {
        raster::StretchSmooth(destCorner, target->width, width, height, i0, i1, j0, j1,
                              src.ptr(sourceX, sourceY), src.stride, sourceWidth, sourceHeight);
        return true;
    }
    std::vector<std::int64_t> columns(static_cast<std::size_t>(i1 - i0));
    for (int i = i0; i < i1; ++i) {
        columns[static_cast<std::size_t>(i - i0)] =
            sourceX + raster::StretchSourceIndex(i, width, sourceWidth);
    }
    for (int j = j0; j < j1; ++j) {
        const std::int64_t sy = sourceY + raster::StretchSourceIndex(j, height, sourceHeight);
        std::uint32_t* out = destCorner + std::int64_t{j - j0} * target->width;
        for (int i = i0; i < i1; ++i) {
            const std::int64_t sx = columns[static_cast<std::size_t>(i - i0)];
            if (raster::inside(src.valid, sx, sy)) {
                out[i - i0] = src.at(sx, sy);
            } else if (src.outsideIsBlack) {
                out[i - i0] = 0;
            }
        }
    }
    return true;
}

int SetStretchBltMode(HDC dc, int mode) {
    Object* context = raster::findKind(dc, Object::Kind::MemoryContext);
    if (!context || (mode != COLORONCOLOR && mode != HALFTONE)) {
        return 0;
    }
    const int previous = context->stretchMode;
    context->stretchMode = mode;
    return previous;
}

bool DeleteDC(HDC dc) {
    Object* context = raster::findContext(dc);
    if (!context) {
        return false;
    }
    if (Object* bitmap = raster::findKind(context->selected, Object::Kind::Bitmap)) {
        bitmap->selectedInto = 0;
    }
    return state().objects.erase(dc);
}

bool DeleteObject(HGDIOBJ object) {
    Object* bitmap = raster::findKind(object, Object::Kind::Bitmap);
    if (!bitmap || bitmap->selectedInto != 0) {
        return false;
    }
    return state().objects.erase(object);
}

}  // namespace raster
