// libFuzzer target for the raster layer. Each input is a script of calls:
// create, select, copy, stretch, fill, set the stretch mode, delete, swap
// the screen source, with null, stale, forged and wrong-kind handles and
// sizes and origins from the edges of int. A model of every object runs
// alongside: it predicts each call's result, every bitmap's pixels (with a
// plain per-pixel reference for copies and nearest-neighbour stretches) and
// the live-handle count, and any difference aborts. The sanitizers catch
// every read or write outside a buffer.
//
// Built with clang++ -fsanitize=fuzzer,address,undefined by run_fuzz.sh.

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "platform/raster/gdi.h"
#include "platform/raster/raster.h"

namespace {

[[noreturn]] void Fail(const char* what, long long a = 0, long long b = 0) {
    std::fprintf(stderr, "raster_fuzz: %s (%lld, %lld)\n", what, a, b);
    std::abort();
}

// Reads the script; past its end every read is 0.
class Script {
  public:
    Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool done() const { return pos_ >= size_; }
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v = v << 8 | byte();
        }
        return v;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// A screen whose pixel (x, y) is a fixed function of the position. It checks
// that the layer only asks for rectangles within its size, as promised.
class FuzzScreen : public raster::ScreenSource {
  public:
    FuzzScreen(int w, int h, bool failing) : w_(w), h_(h), failing_(failing) {}
    static std::uint32_t At(std::int64_t x, std::int64_t y) {
        return static_cast<std::uint32_t>((x * 7919 + y * 104729 + 13) & 0xFFFFFF);
    }
    raster::Size size() override { return {w_, h_}; }
    bool read(int x, int y, int width, int height, std::uint32_t* dest, int destStride) override {
        if (width <= 0 || height <= 0 || x < 0 || y < 0 || x > w_ - width || y > h_ - height ||
            destStride < width) {
            Fail("screen read outside the screen", x, y);
        }
        if (failing_) {
            return false;
        }
        for (int j = 0; j < height; ++j) {
            for (int i = 0; i < width; ++i) {
                dest[static_cast<std::ptrdiff_t>(j) * destStride + i] = At(x + i, y + j);
            }
        }
        return true;
    }
    int w_, h_;
    bool failing_;
};

enum class Kind { Display, Memory, Bitmap };

struct Model {
    Model() = default;
    explicit Model(Kind k) : kind(k) {}
    Kind kind = Kind::Display;
    bool live = true;
    // Bitmaps
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    raster::HDC selectedInto = 0;
    // Memory contexts
    raster::HBITMAP selected = 0;
    int mode = raster::COLORONCOLOR;
};

struct World {
    std::map<std::uint32_t, Model> objects;  // every handle handed out, live or not
    std::vector<std::uint32_t> history;      // in order of creation
    std::shared_ptr<FuzzScreen> screen;
    std::size_t baseline = 0;

    Model* live(std::uint32_t h, Kind k) {
        auto it = objects.find(h);
        return (it != objects.end() && it->second.live && it->second.kind == k) ? &it->second
                                                                                : nullptr;
    }
    Model* liveContext(std::uint32_t h) {
        Model* m = live(h, Kind::Display);
        return m ? m : live(h, Kind::Memory);
    }
    Model* target(raster::HDC dc) {
        Model* m = live(dc, Kind::Memory);
        return m ? live(m->selected, Kind::Bitmap) : nullptr;
    }
    std::size_t liveCount() const {
        std::size_t n = 0;
        for (const auto& [h, m] : objects) {
            n += m.live ? 1 : 0;
        }
        return n;
    }
    void added(std::uint32_t h, Model m) {
        if (objects.count(h)) {
            Fail("a handle was handed out twice", h);
        }
        objects[h] = std::move(m);
        history.push_back(h);
    }
};

// Every argument takes a fixed number of bytes, so that a mutation of one
// byte changes one argument and leaves the rest of the script in place.

// A handle: null, any handle seen so far (live or deleted), or a forgery.
std::uint32_t PickHandle(Script& s, World& w) {
    const std::uint8_t b = s.byte();
    const std::uint8_t k = s.byte();
    if (b < 16) {
        return 0;
    }
    if (b < 24) {
        return std::uint32_t{k} << 24 | std::uint32_t{b} << 12 | k;
    }
    if (w.history.empty()) {
        return 0;
    }
    const std::uint32_t h = w.history[k % w.history.size()];
    if (b < 32) {
        return h + (1u << 20);  // the same slot, another generation
    }
    if (b < 36) {
        return h ^ (1u + (k & 7));  // a neighbouring slot
    }
    return h;
}

int PickSize(Script& s) {
    const std::uint8_t b = s.byte();
    const std::uint8_t v = s.byte();
    switch (b % 16) {
        case 0:
            return 0;
        case 1:
            return -static_cast<int>(v);
        case 2:
            return INT_MIN + v;
        case 3:
            return INT_MAX - v;
        case 4:
            return 1 << (16 + v % 8);
        case 5:
            return 3000 + v;
        default:
            return 1 + v % 40;
    }
}

int PickCoord(Script& s) {
    const std::uint8_t b = s.byte();
    const std::uint8_t v = s.byte();
    switch (b % 16) {
        case 0:
            return INT_MIN + v;
        case 1:
            return INT_MAX - v;
        case 2:
            return (v & 1) ? (1 << 30) : -(1 << 30);
        default:
            return static_cast<int>(v % 96) - 32;
    }
}

std::uint32_t PickRop(Script& s) {
    const std::uint8_t b = s.byte();
    return b < 8 ? 0x00CC0000u + b : raster::SRCCOPY;
}

// Pixel (x, y) of a copy's source, or nothing when it leaves the pixel as
// it was. `snapshot` holds a memory source's pixels from before the call.
struct SourceModel {
    bool display = false;
    const std::vector<std::uint32_t>* snapshot = nullptr;
    int w = 0, h = 0;
    bool get(std::int64_t x, std::int64_t y, std::uint32_t& out) const {
        if (x >= 0 && y >= 0 && x < w && y < h) {
            out = display ? FuzzScreen::At(x, y) : (*snapshot)[static_cast<std::size_t>(y * w + x)];
            return true;
        }
        if (display) {
            out = 0;
            return true;
        }
        return false;
    }
};

// What a copy from `source` must read, or false when the call must fail.
// `wanted` says whether any screen pixel would be read (a failing screen
// fails the call only then).
bool ModelSource(World& w, raster::HDC source, std::vector<std::uint32_t>& snapshot,
                 SourceModel& out, bool& readsScreen) {
    readsScreen = false;
    if (Model* m = w.live(source, Kind::Memory)) {
        Model* bitmap = w.live(m->selected, Kind::Bitmap);
        if (!bitmap) {
            return false;
        }
        snapshot = bitmap->pixels;
        out = {false, &snapshot, bitmap->width, bitmap->height};
        return true;
    }
    if (w.live(source, Kind::Display)) {
        if (!w.screen) {
            return false;
        }
        out = {true, nullptr, w.screen->w_, w.screen->h_};
        readsScreen = true;
        return true;
    }
    return false;
}

bool Overlaps(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, int w, int h) {
    return std::max<std::int64_t>(x0, 0) < std::min<std::int64_t>(x1, w) &&
           std::max<std::int64_t>(y0, 0) < std::min<std::int64_t>(y1, h);
}

void DoBitBlt(Script& s, World& w) {
    const raster::HDC dest = PickHandle(s, w);
    const int x = PickCoord(s), y = PickCoord(s);
    const int width = PickSize(s), height = PickSize(s);
    const raster::HDC source = PickHandle(s, w);
    const int sx = PickCoord(s), sy = PickCoord(s);
    const std::uint32_t rop = PickRop(s);

    Model* target = w.target(dest);
    std::vector<std::uint32_t> snapshot;
    SourceModel src;
    bool readsScreen = false;
    const bool sourceOk = ModelSource(w, source, snapshot, src, readsScreen);
    bool expect = target && rop == raster::SRCCOPY;
    if (expect && width > 0 && height > 0) {
        // The on-screen part of what the clipped destination would read.
        const std::int64_t dx0 = std::max<std::int64_t>(x, 0), dy0 = std::max<std::int64_t>(y, 0);
        const std::int64_t dx1 = std::min<std::int64_t>(std::int64_t{x} + width, target->width);
        const std::int64_t dy1 = std::min<std::int64_t>(std::int64_t{y} + height, target->height);
        const bool any = dx0 < dx1 && dy0 < dy1;
        const std::int64_t ox = std::int64_t{sx} - x, oy = std::int64_t{sy} - y;
        const bool touchesScreen =
            readsScreen && any && Overlaps(dx0 + ox, dy0 + oy, dx1 + ox, dy1 + oy, src.w, src.h);
        expect = sourceOk && !(touchesScreen && w.screen->failing_);
    } else if (expect) {
        expect = w.liveContext(source) != nullptr;
    }
    const bool got = raster::BitBlt(dest, x, y, width, height, source, sx, sy, rop);
    if (got != expect) {
        Fail("BitBlt result", got, expect);
    }
    if (!got || width <= 0 || height <= 0) {
        return;
    }
    for (int ty = 0; ty < target->height; ++ty) {
        const std::int64_t j = std::int64_t{ty} - y;
        if (j < 0 || j >= height) {
            continue;
        }
        for (int tx = 0; tx < target->width; ++tx) {
            const std::int64_t i = std::int64_t{tx} - x;
            std::uint32_t p;
            if (i >= 0 && i < width && src.get(sx + i, sy + j, p)) {
                target->pixels[static_cast<std::size_t>(ty) * target->width + tx] = p;
            }
        }
    }
}

std::int64_t SourceIndex(std::int64_t i, std::int64_t w, std::int64_t ws) {
    return ((2 * i + 1) * ws) / (2 * w);
}

void DoStretchBlt(Script& s, World& w) {
    const raster::HDC dest = PickHandle(s, w);
    const int x = PickCoord(s), y = PickCoord(s);
    const int width = PickSize(s), height = PickSize(s);
    const raster::HDC source = PickHandle(s, w);
    const int sx = PickCoord(s), sy = PickCoord(s);
    const int sw = PickSize(s), sh = PickSize(s);
    const std::uint32_t rop = PickRop(s);

    Model* target = w.target(dest);
    std::vector<std::uint32_t> snapshot;
    SourceModel src;
    bool readsScreen = false;
    const bool sourceOk = ModelSource(w, source, snapshot, src, readsScreen);
    bool expect = target && rop == raster::SRCCOPY;
    const bool sized = width > 0 && height > 0 && sw > 0 && sh > 0;
    if (expect && sized) {
        const bool touchesScreen = readsScreen && Overlaps(sx, sy, std::int64_t{sx} + sw,
                                                           std::int64_t{sy} + sh, src.w, src.h);
        expect = sourceOk && !(touchesScreen && w.screen->failing_);
    } else if (expect) {
        expect = w.liveContext(source) != nullptr;
    }
    const bool got = raster::StretchBlt(dest, x, y, width, height, source, sx, sy, sw, sh, rop);
    if (got != expect) {
        Fail("StretchBlt result", got, expect);
    }
    if (!got || !sized) {
        return;
    }
    const Model* context = w.live(dest, Kind::Memory);
    const bool wholeSource = src.w > 0 && sx >= 0 && sy >= 0 && std::int64_t{sx} + sw <= src.w &&
                             std::int64_t{sy} + sh <= src.h;
    const bool smooth =
        context->mode == raster::HALFTONE && wholeSource && (sw > width || sh > height);
    const auto view = *raster::BitmapPixels(context->selected);
    for (int ty = 0; ty < target->height; ++ty) {
        const std::int64_t j = std::int64_t{ty} - y;
        if (j < 0 || j >= height) {
            continue;
        }
        for (int tx = 0; tx < target->width; ++tx) {
            const std::int64_t i = std::int64_t{tx} - x;
            if (i < 0 || i >= width) {
                continue;
            }
            std::uint32_t& mine = target->pixels[static_cast<std::size_t>(ty) * target->width + tx];
            if (smooth) {
                // Averages are not modelled: take the layer's value, which
                // only pixels of the destination rectangle may hold.
                mine = view.row(ty)[tx];
                continue;
            }
            std::uint32_t p;
            if (src.get(sx + SourceIndex(i, width, sw), sy + SourceIndex(j, height, sh), p)) {
                mine = p;
            }
        }
    }
}

void CompareAll(World& w) {
    if (raster::LiveHandleCount() != w.baseline + w.liveCount()) {
        Fail("live handle count", static_cast<long long>(raster::LiveHandleCount()),
             static_cast<long long>(w.baseline + w.liveCount()));
    }
    for (auto& [h, m] : w.objects) {
        const auto view = raster::BitmapPixels(h);
        if (!m.live || m.kind != Kind::Bitmap) {
            if (view) {
                Fail("pixels for a handle that is no live bitmap", h);
            }
            continue;
        }
        if (!view || view->width != m.width || view->height != m.height) {
            Fail("bitmap size", h);
        }
        for (int y = 0; y < m.height; ++y) {
            for (int x = 0; x < m.width; ++x) {
                if (view->row(y)[x] != m.pixels[static_cast<std::size_t>(y) * m.width + x]) {
                    Fail("pixel differs from the model", x, y);
                }
            }
        }
    }
}

// RASTER_FUZZ_TRACE=1 names each call as it runs, to read a crash input.
const bool kTrace = std::getenv("RASTER_FUZZ_TRACE") != nullptr;

void Step(Script& s, World& w) {
    const int op = s.byte() % 12;
    if (kTrace) {
        static const char* const names[] = {"CreateDCA",
                                            "CreateCompatibleDC",
                                            "CreateCompatibleBitmap",
                                            "SelectObject",
                                            "BitBlt",
                                            "StretchBlt",
                                            "DeleteDC",
                                            "DeleteObject",
                                            "FillContext",
                                            "SetStretchBltMode",
                                            "SetScreenSource",
                                            "ContextPixels"};
        std::fprintf(stderr, "step: %s\n", names[op]);
    }
    switch (op) {
        case 0: {
            const std::uint8_t b = s.byte();
            const bool good = b >= 32;
            const raster::HDC dc =
                good ? raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr)
                     : raster::CreateDCA((b & 1) ? "DISPLAY " : nullptr, nullptr, nullptr, nullptr);
            if ((dc != 0) != good) {
                Fail("CreateDCA result", dc, good);
            }
            if (dc) {
                w.added(dc, Model(Kind::Display));
            }
            break;
        }
        case 1: {
            const raster::HDC ref = PickHandle(s, w);
            const raster::HDC dc = raster::CreateCompatibleDC(ref);
            if ((dc != 0) != (w.liveContext(ref) != nullptr)) {
                Fail("CreateCompatibleDC result", dc, ref);
            }
            if (dc) {
                w.added(dc, Model(Kind::Memory));
            }
            break;
        }
        case 2: {
            const raster::HDC ref = PickHandle(s, w);
            const int width = PickSize(s), height = PickSize(s);
            const bool good = w.liveContext(ref) && width > 0 && height > 0 &&
                              std::int64_t{width} * height <= raster::kMaxBitmapPixels;
            // Legal sizes that would take a second to fill are skipped; the
            // layer's refusal of larger ones is what matters here.
            if (good && std::int64_t{width} * height > (1 << 20)) {
                break;
            }
            const raster::HBITMAP bitmap = raster::CreateCompatibleBitmap(ref, width, height);
            if ((bitmap != 0) != good) {
                Fail("CreateCompatibleBitmap result", width, height);
            }
            if (bitmap) {
                Model m(Kind::Bitmap);
                m.width = width;
                m.height = height;
                m.pixels.assign(static_cast<std::size_t>(width) * height, 0u);
                w.added(bitmap, std::move(m));
            }
            break;
        }
        case 3: {
            const raster::HDC dc = PickHandle(s, w);
            const raster::HGDIOBJ object = PickHandle(s, w);
            Model* context = w.live(dc, Kind::Memory);
            Model* bitmap = w.live(object, Kind::Bitmap);
            const bool good =
                context && bitmap && (bitmap->selectedInto == 0 || bitmap->selectedInto == dc);
            const raster::HGDIOBJ previous = raster::SelectObject(dc, object);
            const raster::HGDIOBJ expect = good ? context->selected : 0;
            if (previous != expect) {
                Fail("SelectObject result", previous, expect);
            }
            if (good) {
                if (Model* old = w.live(context->selected, Kind::Bitmap)) {
                    old->selectedInto = 0;
                }
                context->selected = object;
                bitmap->selectedInto = dc;
            }
            break;
        }
        case 4:
            DoBitBlt(s, w);
            break;
        case 5:
            DoStretchBlt(s, w);
            break;
        case 6: {
            const raster::HDC dc = PickHandle(s, w);
            Model* context = w.liveContext(dc);
            if (raster::DeleteDC(dc) != (context != nullptr)) {
                Fail("DeleteDC result", dc);
            }
            if (context) {
                if (Model* bitmap = w.live(context->selected, Kind::Bitmap)) {
                    bitmap->selectedInto = 0;
                }
                context->live = false;
            }
            break;
        }
        case 7: {
            const raster::HGDIOBJ object = PickHandle(s, w);
            Model* bitmap = w.live(object, Kind::Bitmap);
            const bool good = bitmap && bitmap->selectedInto == 0;
            if (raster::DeleteObject(object) != good) {
                Fail("DeleteObject result", object);
            }
            if (good) {
                bitmap->live = false;
                bitmap->pixels.clear();
            }
            break;
        }
        case 8: {
            const raster::HDC dc = PickHandle(s, w);
            const std::uint32_t rgb = s.u32();
            Model* target = w.target(dc);
            if (raster::FillContext(dc, rgb) != (target != nullptr)) {
                Fail("FillContext result", dc);
            }
            if (target) {
                std::fill(target->pixels.begin(), target->pixels.end(), rgb & 0xFFFFFF);
            }
            break;
        }
        case 9: {
            const raster::HDC dc = PickHandle(s, w);
            const std::uint8_t b = s.byte();
            const int mode = b < 96 ? raster::COLORONCOLOR : b < 192 ? raster::HALFTONE : b - 200;
            Model* context = w.live(dc, Kind::Memory);
            const bool good = context && (mode == raster::COLORONCOLOR || mode == raster::HALFTONE);
            const int previous = raster::SetStretchBltMode(dc, mode);
            if (previous != (good ? context->mode : 0)) {
                Fail("SetStretchBltMode result", previous);
            }
            if (good) {
                context->mode = mode;
            }
            break;
        }
        case 10: {
            const std::uint8_t b = s.byte();
            const int width = s.byte() % 80;
            const int height = s.byte() % 64;
            w.screen = b < 24 ? nullptr : std::make_shared<FuzzScreen>(width, height, b > 240);
            raster::SetScreenSource(w.screen);
            break;
        }
        case 11: {
            // Pixel access through a context: the view must be the selected
            // bitmap's, or nothing.
            const raster::HDC dc = PickHandle(s, w);
            const auto view = raster::ContextPixels(dc);
            const Model* target = w.target(dc);
            if (view.has_value() != (target != nullptr) ||
                (view && (view->width != target->width || view->height != target->height))) {
                Fail("ContextPixels", dc);
            }
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    World w;
    w.baseline = raster::LiveHandleCount();
    w.screen = std::make_shared<FuzzScreen>(64, 48, false);
    raster::SetScreenSource(w.screen);
    Script s(data, size);
    for (int steps = 0; !s.done() && steps < 200; ++steps) {
        Step(s, w);
        // Every pixel of every bitmap now and then, so that a stray write
        // shows before a later call covers it up; the count every time.
        if (steps % 8 == 7) {
            CompareAll(w);
        } else if (raster::LiveHandleCount() != w.baseline + w.liveCount()) {
            Fail("live handle count", static_cast<long long>(raster::LiveHandleCount()));
        }
    }
    CompareAll(w);
    // Tear down: contexts first, then the bitmaps they no longer hold.
    for (auto& [h, m] : w.objects) {
        if (m.live && m.kind != Kind::Bitmap && !raster::DeleteDC(h)) {
            Fail("DeleteDC of a live context", h);
        }
    }
    for (auto& [h, m] : w.objects) {
        if (m.live && m.kind == Kind::Bitmap && !raster::DeleteObject(h)) {
            Fail("DeleteObject of a released bitmap", h);
        }
    }
    if (raster::LiveHandleCount() != w.baseline) {
        Fail("handles left after teardown", static_cast<long long>(raster::LiveHandleCount()));
    }
    raster::SetScreenSource(nullptr);
    return 0;
}
