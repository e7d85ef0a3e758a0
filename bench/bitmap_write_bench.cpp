// Compares saving a 1920 x 1080 capture as a bitmap file with one plain
// write() of the same number of bytes.
//
//   bitmap_write_bench [FOLDER] [ROUNDS]
//
// Prints the median time of each in milliseconds and their ratios. The
// save fsyncs the file before it replaces the target, so it is compared
// both with a bare write() and with a write() followed by fsync(); the
// encoding's own cost shows as encode + plain write() against the write().

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "output/bitmap_file.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Runs the bodies in turn, round after round, so that a change in the
// machine's load falls on all of them alike; returns each one's median.
std::vector<double> MedianMs(int rounds, const std::vector<std::function<void()>>& bodies) {
    std::vector<std::vector<double>> times(bodies.size());
    for (int i = 0; i < rounds; ++i) {
        for (std::size_t b = 0; b < bodies.size(); ++b) {
            const auto start = std::chrono::steady_clock::now();
            bodies[b]();
            const auto stop = std::chrono::steady_clock::now();
            times[b].push_back(std::chrono::duration<double, std::milli>(stop - start).count());
        }
    }
    std::vector<double> medians;
    for (auto& t : times) {
        std::sort(t.begin(), t.end());
        medians.push_back(t[t.size() / 2]);
    }
    return medians;
}

void PlainWrite(const std::string& path, std::span<const std::uint8_t> bytes, bool sync) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        (sync && ::fsync(fd) != 0)) {
        std::perror(path.c_str());
        std::exit(1);
    }
    ::close(fd);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 31;

    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    }
    const output::PixelRows image{pixels.data(), kWidth, kHeight, kWidth};
    const std::size_t fileBytes =
        output::kPixelDataOffset + output::BitmapRowBytes(kWidth) * kHeight;
    const std::vector<std::uint8_t> plain(fileBytes, 0x5A);
    const std::string savePath = folder + "/bench-save.bmp";
    const std::string plainPath = folder + "/bench-plain.bin";

    const std::vector<double> ms = MedianMs(
        rounds,
        {[&] {
             if (!output::EncodeBitmap(image).bytes) {
                 std::exit(1);
             }
         },
         [&] {
             const auto result = output::WriteBitmapFile(savePath, image);
             if (!result.ok) {
                 std::fprintf(stderr, "%s\n", result.message.c_str());
                 std::exit(1);
             }
         },
         [&] { PlainWrite(plainPath, plain, false); }, [&] { PlainWrite(plainPath, plain, true); },
         [&] {
             const auto encoded = output::EncodeBitmap(image);
             PlainWrite(plainPath, {encoded.bytes.get(), encoded.bytes.get() + encoded.size},
                        false);
         }});
    const double encode = ms[0], save = ms[1], write = ms[2], writeSync = ms[3],
                 encodeWrite = ms[4];
    ::unlink(savePath.c_str());
    ::unlink(plainPath.c_str());

    std::printf("%d x %d, %zu bytes, median of %d rounds, in %s\n", kWidth, kHeight, fileBytes,
                rounds, folder.c_str());
    std::printf("encode only              %8.2f ms\n", encode);
    std::printf("save (encode+write+sync) %8.2f ms\n", save);
    std::printf("plain write()            %8.2f ms   ratio save/write        %.2f\n", write,
                save / write);
    std::printf("encode + plain write()   %8.2f ms   ratio (encode+write)/write %.2f\n",
                encodeWrite, encodeWrite / write);
    std::printf("plain write() + fsync()  %8.2f ms   ratio save/(write+sync) %.2f\n", writeSync,
                save / writeSync);
    return 0;
}
