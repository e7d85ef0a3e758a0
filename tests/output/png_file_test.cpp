#include "output/png_file.h"

#include <gtest/gtest.h>
#include <png.h>
#include <QImage>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "output/band_threads.h"

namespace {

// Decodes with libpng's own reader into 0x00RRGGBB pixels.
std::vector<std::uint32_t> Decode(const std::vector<std::uint8_t>& file, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
        return {};
    }
    image.format = PNG_FORMAT_BGRA;
    std::vector<std::uint32_t> pixels(PNG_IMAGE_SIZE(image) / 4);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        return {};
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    for (std::uint32_t& p : pixels) {
        p &= 0x00FFFFFF;
    }
    return pixels;
}

// Keeps what is written to it.
struct MemorySink : output::ByteSink {
    std::vector<std::uint8_t> bytes;
    std::string write(const std::uint8_t* data, std::size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        return {};
    }
};

// Rows of every kind the filter choice tells apart: repeats of the row
// above, flat bands that step in colour, a gradient, and noise. 47 wide, an
// odd width, inside a wider stride; the unused top byte set, to be dropped.
TEST(PngFile, EveryKindOfRowDecodesToTheSamePixels) {
    constexpr int kWidth = 47, kHeight = 40, kStride = 50;
    std::vector<std::uint32_t> pixels(kStride * kHeight, 0xAB000000);
    std::uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            std::uint32_t& p = pixels[y * kStride + x];
            noise = noise * 1103515245 + 12345;
            if (y < 10) {
                p |= 0x102030;  // repeats
            } else if (y < 20) {
                p |= ((x / 4) * 0x301020 + y * 0x010203) & 0xFFFFFF;  // stepping bands
            } else if (y < 30) {
                p |= (x * 5) << 16 | (y * 7) << 8 | ((x + y) * 3 & 0xFF);
            } else {
                p |= noise >> 8 & 0xFFFFFF;
            }
        }
    }
    const output::EncodedPng png = output::EncodePng({pixels.data(), kWidth, kHeight, kStride});
    ASSERT_FALSE(png.bytes.empty()) << png.error;
    MemorySink stream;
    EXPECT_EQ(output::WritePng({pixels.data(), kWidth, kHeight, kStride}, stream), "");
    EXPECT_EQ(stream.bytes, png.bytes) << "a stream gets the file chunk by chunk";
    int width = 0, height = 0;
    const std::vector<std::uint32_t> decoded = Decode(png.bytes, width, height);
    ASSERT_EQ(width, kWidth);
    ASSERT_EQ(height, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            ASSERT_EQ(decoded[y * kWidth + x], pixels[y * kStride + x] & 0xFFFFFF)
                << "at " << x << ", " << y;
        }
    }
    EXPECT_TRUE(output::EncodePng({pixels.data(), 0, 1, 1}).bytes.empty());
    EXPECT_FALSE(
        output::WritePngFile("/nonexistent-folder/x.png", {pixels.data(), kWidth, kHeight, kStride})
            .ok);
}

// Pixels `width` x `height` in a stride 3 wider, the unused top byte set:
// noise over a smooth gradient (photographic rows) in the top half, lines
// of "text" on a flat background below, a few rows repeating the row above.
std::vector<std::uint32_t> MixedPicture(int width, int height) {
    const int stride = width + 3;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(stride) * height, 0xFF000000);
    std::uint32_t noise = 99;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245 + 12345;
            std::uint32_t& p = pixels[static_cast<std::size_t>(y) * stride + x];
            if (y % 37 == 5 && y > 0) {
                p = pixels[static_cast<std::size_t>(y - 1) * stride + x];
            } else if (y < height / 2) {
                p |= ((x + (noise >> 28)) & 0xFF) << 16 | ((y * 3 + (noise >> 29)) & 0xFF) << 8 |
                     ((x + y) >> 1 & 0xFF);
            } else {
                p |= (x / 3 + y) % 7 == 0 && y % 12 < 9 ? 0x202020 : 0xF4F4F4;
            }
        }
    }
    return pixels;
}

// Qt's decoder too, so that the file is not only what libpng accepts.
void ExpectDecodesTo(const std::vector<std::uint8_t>& file, const std::uint32_t* pixels, int width,
                     int height, std::ptrdiff_t stride) {
    int decodedWidth = 0, decodedHeight = 0;
    const std::vector<std::uint32_t> decoded = Decode(file, decodedWidth, decodedHeight);
    ASSERT_EQ(decodedWidth, width);
    ASSERT_EQ(decodedHeight, height);
    const QImage image = QImage::fromData(file.data(), static_cast<int>(file.size()), "PNG")
                             .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(width, height));
    for (int y = 0; y < height; ++y) {
        const auto* qtRow = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::uint32_t expected = pixels[y * stride + x] & 0xFFFFFF;
            ASSERT_EQ(decoded[static_cast<std::size_t>(y) * width + x], expected)
                << "at " << x << ", " << y;
            ASSERT_EQ(qtRow[x] & 0xFFFFFF, expected) << "Qt, at " << x << ", " << y;
        }
    }
}

// Pictures of several bands (at least 8 where there are rows enough), of fewer rows than
// threads, odd widths and a single pixel decode to their pixels, and the
// file is the same byte for byte whatever the number of threads.
TEST(PngFile, BandsOnAnyNumberOfThreadsMakeTheSameFile) {
    const int sizes[][2] = {{2000, 203}, {2000, 8}, {600, 700}, {301, 3}, {1, 1}, {7, 1}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        const std::vector<std::uint32_t> pixels = MixedPicture(width, height);
        const output::PixelRows rows{pixels.data(), width, height, width + 3};
        const output::EncodedPng one = output::EncodePng(rows, 1);
        ASSERT_FALSE(one.bytes.empty()) << one.error;
        ExpectDecodesTo(one.bytes, pixels.data(), width, height, width + 3);
        for (int threads : {2, 5, 16}) {
            EXPECT_EQ(output::EncodePng(rows, threads).bytes, one.bytes) << threads << " threads";
        }
    }
}

// Photographic rows take a predicting filter: noise over gradients shrinks
// to well under what the same rows unfiltered give (about 0.9 of raw); so
// do rows that cross such a wallpaper and a flat window covering 45 % of it.
TEST(PngFile, PhotographicRowsArePredicted) {
    std::vector<std::uint32_t> pixels = MixedPicture(600, 400);
    const output::PixelRows photo{pixels.data(), 600, 200, 603};
    const output::EncodedPng png = output::EncodePng(photo);
    ASSERT_FALSE(png.bytes.empty()) << png.error;
    EXPECT_LT(png.bytes.size(), 600u * 200 * 3 / 2);
    for (int y = 0; y < 200; ++y) {
        std::fill_n(pixels.begin() + y * 603 + 330, 270, 0xF4F4F4);
    }
    EXPECT_LT(output::EncodePng(photo).bytes.size(), 330u * 200 * 3 / 2);
}

// A gradient where every pixel is one step from its neighbours, as
// wallpapers are: each row is photographic, yet predicted it is nearly all
// zeros, which matches code in a few bytes a row (Huffman codes alone would
// take a bit a byte, 1/8 of the raw size).
TEST(PngFile, SmoothGradientComesOutSmall) {
    constexpr int kWidth = 640, kHeight = 512;
    std::vector<std::uint32_t> pixels(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            pixels[y * kWidth + x] = (x & 0xFF) << 16 | (y & 0xFF) << 8;
        }
    }
    const output::EncodedPng png = output::EncodePng({pixels.data(), kWidth, kHeight, kWidth});
    ASSERT_FALSE(png.bytes.empty()) << png.error;
    EXPECT_LT(png.bytes.size(), kWidth * kHeight * 3 / 100);
    ExpectDecodesTo(png.bytes, pixels.data(), kWidth, kHeight, kWidth);
}

TEST(BandThreads, EveryJobRunsOnceAndTheFirstFailureComesBackAfterAllStop) {
    for (int threads : {1, 2, 7}) {
        std::vector<int> runs(50, 0);
        output::RunJobs(runs.size(), threads, [&runs](std::size_t i) { ++runs[i]; });
        EXPECT_EQ(runs, std::vector<int>(50, 1)) << threads << " threads";
        std::atomic<int> running = 0;
        EXPECT_THROW(output::RunJobs(50, threads,
                                     [&running](std::size_t i) {
                                         ++running;
                                         if (i == 3) {
                                             --running;
                                             throw std::runtime_error("job 3");
                                         }
                                         --running;
                                     }),
                     std::runtime_error);
        EXPECT_EQ(running, 0);
    }
    output::RunJobs(0, 4, [](std::size_t) { FAIL() << "no jobs to run"; });
}

}  // namespace
