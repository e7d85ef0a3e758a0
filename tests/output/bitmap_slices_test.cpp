// WriteBitmapFile encodes a slice of rows at a time; the file must be the
// one EncodeBitmap makes in one go, however the rows fall into slices.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "output/bitmap_file.h"
#include "output/bmp_decode.h"

namespace {

TEST(BitmapSlices, WrittenFileEqualsTheOneBufferEncoding) {
    std::string name = (std::filesystem::temp_directory_path() / "tess-slices.XXXXXX").string();
    const std::filesystem::path folder = ::mkdtemp(name.data());
    // Widths with each amount of row padding; heights of one slice, of
    // exactly two, and of several with a short last one.
    for (const auto& [width, height] : {std::pair{1, 1}, {2, 3}, {1001, 174}, {1003, 600}}) {
        const int stride = width + 5;
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(stride) * height);
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
        }
        const output::PixelRows image{pixels.data(), width, height, stride};
        const std::string path = folder / "slices.bmp";
        ASSERT_TRUE(output::WriteBitmapFile(path, image).ok);
        const output::EncodedBitmap encoded = output::EncodeBitmap(image);
        ASSERT_TRUE(encoded.bytes);
        const std::vector<std::uint8_t> written = testing_support::ReadBytes(path);
        EXPECT_EQ(written, std::vector<std::uint8_t>(encoded.bytes.get(),
                                                     encoded.bytes.get() + encoded.size))
            << width << " x " << height;
        const auto decoded = testing_support::DecodeBitmap(written);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->at(width - 1, height - 1),
                  pixels[static_cast<std::size_t>(height - 1) * stride + width - 1]);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
