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

#include "output/bitmap_file.h"
#include "platform/raster/gdi.h"
#include "platform/raster/raster.h"
#include "platform/x11/x11_screen_reader.h"
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
        std::shared_ptr<platform::X11ScreenReader> r =
            platform::X11ScreenReader::Connect(nullptr, error);
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
        const HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        const HDC memory = CreateCompatibleDC(screen);
        const HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
        SelectObject(memory, bitmap);
        if (!BitBlt(memory, 0, 0, kWidth, kHeight, screen, 0, 0, SRCCOPY)) {
            state.SkipWithError("BitBlt failed");
        }
        DeleteDC(memory);
        DeleteObject(bitmap);
        DeleteDC(screen);
    }
}
BENCHMARK(ScreenCapture)->Unit(benchmark::kMillisecond);

// A memory context holding a width x height bitmap with a busy pattern.
struct Picture {
    HDC dc = 0;
    HBITMAP bitmap = 0;
    Picture(int width, int height) {
        const HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, width, height);
        SelectObject(dc, bitmap);
        DeleteDC(screen);
        const raster::PixelView view = *raster::ContextPixels(dc);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                view.row(y)[x] =
                    static_cast<std::uint32_t>((x * 7 + y * 13) * 2654435761u) & 0xFFFFFF;
            }
        }
    }
    ~Picture() {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

void Stretch(benchmark::State& state, int mode) {
    Picture capture(kWidth, kHeight);
    Picture pane(kPaneWidth, kPaneHeight);
    SetStretchBltMode(pane.dc, mode);
    for (auto _ : state) {
        StretchBlt(pane.dc, 0, 0, kPaneWidth, kPaneHeight, capture.dc, 0, 0, kWidth, kHeight,
                   SRCCOPY);
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(Stretch, Nearest, COLORONCOLOR)
    ->Name("Stretch/Nearest")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stretch, Halftone, HALFTONE)
    ->Name("Stretch/Halftone")
    ->Unit(benchmark::kMillisecond);

// The crop of a stretched preview: map the band, copy the whole old image
// aside, make the new buffer and cut the band's part into it.
void Crop(benchmark::State& state) {
    Picture capture(kWidth, kHeight);
    const HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    const preview::Band band{100, 80, 241, 189};
    for (auto _ : state) {
        const preview::CropMapping mapping =
            preview::MapStretched(band, kPaneWidth, kPaneHeight, kWidth, kHeight);
        const preview::CropSource source = *mapping.source;
        const HBITMAP copyBitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
        const HDC copyDC = CreateCompatibleDC(screen);
        SelectObject(copyDC, copyBitmap);
        BitBlt(copyDC, 0, 0, kWidth, kHeight, capture.dc, 0, 0, SRCCOPY);
        const HBITMAP newBitmap = CreateCompatibleBitmap(screen, source.width, source.height);
        const HDC newDC = CreateCompatibleDC(screen);
        SelectObject(newDC, newBitmap);
        BitBlt(newDC, 0, 0, source.width, source.height, copyDC, static_cast<int>(source.x),
               static_cast<int>(source.y), SRCCOPY);
        benchmark::ClobberMemory();
        DeleteDC(newDC);
        DeleteObject(newBitmap);
        DeleteDC(copyDC);
        DeleteObject(copyBitmap);
    }
    DeleteDC(screen);
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

}  // namespace

BENCHMARK_MAIN();
