#pragma once
// Writing pictures as Windows bitmap files: a 14-byte file header ("BM"), a
// 40-byte information header and uncompressed 24-bit rows, bottom row
// first, each row padded to a multiple of 4 bytes.
//
// The file replaces the target whole or not at all (see file_replace.h).
// Nothing here needs Qt.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "output/file_replace.h"

namespace output {

// Pixels as 0x00RRGGBB, rows top to bottom, `stride` pixels apart.
struct PixelRows {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
};

inline constexpr std::size_t kFileHeaderSize = 14;
inline constexpr std::size_t kInfoHeaderSize = 40;
inline constexpr std::size_t kPixelDataOffset = kFileHeaderSize + kInfoHeaderSize;

// Bytes in one stored row of a 24-bit bitmap `width` pixels wide.
constexpr std::size_t BitmapRowBytes(int width) {
    return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

struct EncodedBitmap {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    // Why encoding failed when `bytes` is null (no file header would fit).
    std::string error;
};

// The whole file, headers and pixels, in one buffer.
EncodedBitmap EncodeBitmap(const PixelRows& image);

// What ReplaceFileContents(path, EncodeBitmap(image)) would write, encoded
// a slice at a time as it is written rather than into one buffer the size
// of the file.
WriteResult WriteBitmapFile(const std::string& path, const PixelRows& image,
                            NameRule rule = NameRule::Replace);

}  // namespace output
