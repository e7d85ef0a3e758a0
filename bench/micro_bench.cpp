// In-process timings of the capture's hot paths at 1920 x 1080, each beside
// the floor it is compared with:
//
//   ScreenRead/Reader      the X11 screen reader, whole screen into a buffer
//   ScreenRead/ShmFloor    one bare MIT-SHM GetImage of the same rectangle
//   ScreenCapture          CreateDCA .. BitBlt into a new bitmap, as the
//                          capture handlers do
//   Stretch/Nearest, Stretch/Halftone   the capture into the 482 x 378 pane
//   Crop                   the crop's mapping and its two copies
//   Bitmap/Encode, Bitmap/WriteFile     the bitmap writer (WriteFile is what
//                          Save does: encode, write, fsync, rename)
//   Bitmap/PlainWrite, Bitmap/PlainWriteFsync, Bitmap/EncodeThenPlainWrite
//                          one open/write/close of as many bytes
//   Png/Encode/{Pattern,Text}, Png/LibpngDefaults/{Pattern,Text}
//                          the PNG encoder against libpng's default settings
//                          (level 6, adaptive filters), on the screen test
//                          pattern and on a screen of text; "bytes" is the
//                          file's size
//
// The screen benchmarks need $DISPLAY (bench/run.sh gives them a 1920 x
// 1080 Xvfb screen); files go to $TESS_BENCH_DIR (default /tmp).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <png.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "output/bitmap_file.h"
#include "output/png_file.h"
#include "platform/raster/gdi.h"
#include "platform/raster/raster.h"
#include "platform/x11/x11_backend.h"
#include "ui/preview/crop_mapping.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kPaneWidth = 482;
constexpr int kPaneHeight = 378;

std::string BenchFolder() {
    const char* folder = std::getenv("TESS_BENCH_DIR");
    return folder && *folder ? folder : "/tmp";
}

// The reader, connected once for all the screen benchmarks.
std::shared_ptr<platform::X11ScreenReader> Reader(benchmark::State& state) {
    static std::shared_ptr<platform::X11ScreenReader> reader = [] {
        std::string error;
        std::shared_ptr<platform::Backend> backend = platform::OpenX11Backend(
            nullptr, platform::X11ScreenReader::Transfer::SharedMemoryWhenOffered, nullptr, error);
        std::shared_ptr<platform::X11ScreenReader> r =
            backend ? std::static_pointer_cast<platform::X11ScreenReader>(backend->screenSource())
                    : nullptr;
        if (r) {
            raster::SetScreenSource(r);
        }
        return r;
    }();
    if (!reader) {
        state.SkipWithError("no X display");
    }
    return reader;
}

void ScreenReadReader(benchmark::State& state) {
    const auto reader = Reader(state);
    if (!reader) {
        return;
    }
    std::vector<std::uint32_t> dest(static_cast<std::size_t>(kWidth) * kHeight);
    for (auto _ : state) {
        if (!reader->read(0, 0, kWidth, kHeight, dest.data(), kWidth)) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(dest.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(ScreenReadReader)->Name("ScreenRead/Reader")->Unit(benchmark::kMillisecond);

// The floor: the server's copy of the rectangle into shared memory, with
// nothing done to the pixels after.
void ScreenReadShmFloor(benchmark::State& state) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        state.SkipWithError("no X display");
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i) {
        xcb_screen_next(&it);
    }
    const xcb_window_t root = it.data->root;
    const std::size_t bytes = static_cast<std::size_t>(kWidth) * kHeight * 4;
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void* address = shmat(id, nullptr, 0);
    const xcb_shm_seg_t seg = xcb_generate_id(c);
    xcb_generic_error_t* error = xcb_request_check(c, xcb_shm_attach_checked(c, seg, id, 0));
    shmctl(id, IPC_RMID, nullptr);
    if (error) {
        std::free(error);
        state.SkipWithError("MIT-SHM attach failed");
    } else {
        for (auto _ : state) {
            xcb_shm_get_image_reply_t* reply =
                xcb_shm_get_image_reply(c,
                                        xcb_shm_get_image(c, root, 0, 0, kWidth, kHeight, ~0u,
                                                          XCB_IMAGE_FORMAT_Z_PIXMAP, seg, 0),
                                        nullptr);
            if (!reply) {
                state.SkipWithError("GetImage failed");
                break;
            }
            std::free(reply);
            benchmark::DoNotOptimize(address);
        }
        xcb_shm_detach(c, seg);
    }
    shmdt(address);
    xcb_disconnect(c);
}
BENCHMARK(ScreenReadShmFloor)->Name("ScreenRead/ShmFloor")->Unit(benchmark::kMillisecond);

// The capture handlers' sequence, new bitmap and all.
void ScreenCapture(benchmark::State& state) {
    if (!Reader(state)) {
        return;
    }
    for (auto _ : state) {
        const raster::HDC screen = raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        const raster::HDC memory = raster::CreateCompatibleDC(screen);
        const raster::HBITMAP bitmap = raster::CreateCompatibleBitmap(screen, kWidth, kHeight);
        raster::SelectObject(memory, bitmap);
        if (!raster::BitBlt(memory, 0, 0, kWidth, kHeight, screen, 0, 0, raster::SRCCOPY)) {
            state.SkipWithError("BitBlt failed");
        }
        raster::DeleteDC(memory);
        raster::DeleteObject(bitmap);
        raster::DeleteDC(screen);
    }
}
BENCHMARK(ScreenCapture)->Unit(benchmark::kMillisecond);

// A memory context holding a width x height bitmap with a busy pattern.
struct Picture {
    raster::HDC dc = 0;
    raster::HBITMAP bitmap = 0;
    Picture(int width, int height) {
        const raster::HDC screen = raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        dc = raster::CreateCompatibleDC(screen);
        bitmap = raster::CreateCompatibleBitmap(screen, width, height);
        raster::SelectObject(dc, bitmap);
        raster::DeleteDC(screen);
        const raster::PixelView view = *raster::ContextPixels(dc);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                view.row(y)[x] =
                    static_cast<std::uint32_t>((x * 7 + y * 13) * 2654435761u) & 0xFFFFFF;
            }
        }
    }
    ~Picture() {
        raster::DeleteDC(dc);
        raster::DeleteObject(bitmap);
    }
};

void Stretch(benchmark::State& state, int mode) {
    Picture capture(kWidth, kHeight);
    Picture pane(kPaneWidth, kPaneHeight);
    raster::SetStretchBltMode(pane.dc, mode);
    for (auto _ : state) {
        raster::StretchBlt(pane.dc, 0, 0, kPaneWidth, kPaneHeight, capture.dc, 0, 0, kWidth,
                           kHeight, raster::SRCCOPY);
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(Stretch, Nearest, raster::COLORONCOLOR)
    ->Name("Stretch/Nearest")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stretch, Halftone, raster::HALFTONE)
    ->Name("Stretch/Halftone")
    ->Unit(benchmark::kMillisecond);

// The crop of a stretched preview: map the band, copy the whole old image
// aside, make the new buffer and cut the band's part into it.
void Crop(benchmark::State& state) {
    Picture capture(kWidth, kHeight);
    const raster::HDC screen = raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    const preview::Band band{100, 80, 241, 189};
    for (auto _ : state) {
        const preview::CropMapping mapping =
            preview::MapStretched(band, kPaneWidth, kPaneHeight, kWidth, kHeight);
        const preview::CropSource source = *mapping.source;
        const raster::HBITMAP copyBitmap = raster::CreateCompatibleBitmap(screen, kWidth, kHeight);
        const raster::HDC copyDC = raster::CreateCompatibleDC(screen);
        raster::SelectObject(copyDC, copyBitmap);
        raster::BitBlt(copyDC, 0, 0, kWidth, kHeight, capture.dc, 0, 0, raster::SRCCOPY);
        const raster::HBITMAP newBitmap =
            raster::CreateCompatibleBitmap(screen, source.width, source.height);
        const raster::HDC newDC = raster::CreateCompatibleDC(screen);
        raster::SelectObject(newDC, newBitmap);
        raster::BitBlt(newDC, 0, 0, source.width, source.height, copyDC, static_cast<int>(source.x),
                       static_cast<int>(source.y), raster::SRCCOPY);
        benchmark::ClobberMemory();
        raster::DeleteDC(newDC);
        raster::DeleteObject(newBitmap);
        raster::DeleteDC(copyDC);
        raster::DeleteObject(copyBitmap);
    }
    raster::DeleteDC(screen);
}
BENCHMARK(Crop)->Unit(benchmark::kMillisecond);

// The pixels the bitmap benchmarks write.
const output::PixelRows& BusyImage() {
    static const std::vector<std::uint32_t> pixels = [] {
        std::vector<std::uint32_t> p(static_cast<std::size_t>(kWidth) * kHeight);
        for (std::size_t i = 0; i < p.size(); ++i) {
            p[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
        }
        return p;
    }();
    static const output::PixelRows image{pixels.data(), kWidth, kHeight, kWidth};
    return image;
}

std::size_t BitmapFileBytes() {
    return output::kPixelDataOffset + output::BitmapRowBytes(kWidth) * kHeight;
}

bool PlainWrite(const std::string& path, const std::uint8_t* bytes, std::size_t size, bool sync) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    const bool ok =
        ::write(fd, bytes, size) == static_cast<ssize_t>(size) && (!sync || ::fsync(fd) == 0);
    return ::close(fd) == 0 && ok;
}

void BitmapEncode(benchmark::State& state) {
    for (auto _ : state) {
        const output::EncodedBitmap encoded = output::EncodeBitmap(BusyImage());
        benchmark::DoNotOptimize(encoded.bytes.get());
    }
}
BENCHMARK(BitmapEncode)->Name("Bitmap/Encode")->Unit(benchmark::kMillisecond);

void BitmapWriteFile(benchmark::State& state) {
    const std::string path = BenchFolder() + "/bench-save.bmp";
    for (auto _ : state) {
        const output::WriteResult result = output::WriteBitmapFile(path, BusyImage());
        if (!result.ok) {
            state.SkipWithError(result.message.c_str());
            break;
        }
    }
    ::unlink(path.c_str());
}
BENCHMARK(BitmapWriteFile)->Name("Bitmap/WriteFile")->Unit(benchmark::kMillisecond);

void BitmapPlainWrite(benchmark::State& state, bool sync, bool encode) {
    const std::string path = BenchFolder() + "/bench-plain.bin";
    const std::vector<std::uint8_t> plain(BitmapFileBytes(), 0x5A);
    for (auto _ : state) {
        bool ok;
        if (encode) {
            const output::EncodedBitmap encoded = output::EncodeBitmap(BusyImage());
            ok = PlainWrite(path, encoded.bytes.get(), encoded.size, sync);
        } else {
            ok = PlainWrite(path, plain.data(), plain.size(), sync);
        }
        if (!ok) {
            state.SkipWithError(("cannot write " + path).c_str());
            break;
        }
    }
    ::unlink(path.c_str());
}
BENCHMARK_CAPTURE(BitmapPlainWrite, Plain, false, false)
    ->Name("Bitmap/PlainWrite")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BitmapPlainWrite, PlainFsync, true, false)
    ->Name("Bitmap/PlainWriteFsync")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BitmapPlainWrite, EncodeThenPlain, false, true)
    ->Name("Bitmap/EncodeThenPlainWrite")
    ->Unit(benchmark::kMillisecond);

// The system tests' pattern: 16 x 16 blocks of flat colour.
const output::PixelRows& PatternScreen() {
    static const std::vector<std::uint32_t> pixels = [] {
        std::vector<std::uint32_t> p(static_cast<std::size_t>(kWidth) * kHeight);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const std::uint32_t bx = x / 16, by = y / 16;
                p[static_cast<std::size_t>(y) * kWidth + x] = ((bx * 53 + 17) & 0xFF) << 16 |
                                                              ((by * 97 + 31) & 0xFF) << 8 |
                                                              (((bx + by) * 29 + 71) & 0xFF);
            }
        }
        return p;
    }();
    static const output::PixelRows image{pixels.data(), kWidth, kHeight, kWidth};
    return image;
}

// A screen of text as an editor shows it: a title bar, 76 lines of
// antialiased text on a light background, a grey side panel.
const output::PixelRows& TextScreen() {
    static const QImage image = [] {
        static int argc = 1;
        static char name[] = "tess_micro_bench";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication application(argc, argv);
        QImage screen(kWidth, kHeight, QImage::Format_RGB32);
        screen.fill(QColor(0xf6, 0xf5, 0xf4));
        QPainter painter(&screen);
        painter.fillRect(0, 0, kWidth, 24, QColor(0x34, 0x65, 0xa4));
        painter.fillRect(1500, 100, 400, 800, QColor(0xdd, 0xdd, 0xdd));
        painter.setFont(QFont("DejaVu Sans", 8));
        painter.setPen(QColor(0x22, 0x22, 0x22));
        const QString words = QStringLiteral(
            "the capture buffer holds the pixels of the screen while the preview pane shows "
            "them stretched or at actual size and the crop replaces them with a rectangle ");
        for (int line = 0; line < 76; ++line) {
            const QString text = words.mid(line * 7 % 60) + words.left(40 + line * 13 % 90);
            painter.drawText(10, 40 + line * 13, text.repeated(1 + line % 2));
        }
        return screen;
    }();
    static const output::PixelRows rows{reinterpret_cast<const std::uint32_t*>(image.constBits()),
                                        kWidth, kHeight, image.bytesPerLine() / 4};
    return rows;
}

void PngEncode(benchmark::State& state, const output::PixelRows& (*scene)()) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        const output::EncodedPng png = output::EncodePng(scene());
        bytes = png.bytes.size();
        benchmark::DoNotOptimize(png.bytes.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK_CAPTURE(PngEncode, Pattern, &PatternScreen)
    ->Name("Png/Encode/Pattern")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PngEncode, Text, &TextScreen)
    ->Name("Png/Encode/Text")
    ->Unit(benchmark::kMillisecond);

// libpng as most programs use it: its default level and filters.
std::size_t LibpngDefaults(const output::PixelRows& image) {
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return 0;
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* o = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
            o->insert(o->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (int y = 0; y < image.height; ++y) {
        png_write_row(png, reinterpret_cast<png_const_bytep>(image.pixels + image.stride * y));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out.size();
}

void PngLibpngDefaults(benchmark::State& state, const output::PixelRows& (*scene)()) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = LibpngDefaults(scene());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK_CAPTURE(PngLibpngDefaults, Pattern, &PatternScreen)
    ->Name("Png/LibpngDefaults/Pattern")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PngLibpngDefaults, Text, &TextScreen)
    ->Name("Png/LibpngDefaults/Text")
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
