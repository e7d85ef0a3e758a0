#pragma once
// The PNG file a desktop portal writes, read into 0x00RRGGBB pixels.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // rows top to bottom
    // The file's bytes from its signature to its end chunk, when they were
    // asked for and every pixel is opaque (a copy of the file then shows
    // what `pixels` hold).
    std::vector<std::uint8_t> file;
};

// What a picture may be, checked before its pixels are given any memory.
struct PngLimits {
    std::int64_t maxWidth = 0x7FFF;
    std::int64_t maxHeight = 0x7FFF;
    std::int64_t maxPixels = std::int64_t{1} << 28;
    // The file's size: one far larger than any PNG of the picture's size
    // could be is refused before it is read.
    std::int64_t fileSize = 0;
    // Reading and decoding end here, however slowly the file comes.
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    // Keep the file's bytes in Picture::file. Each chunk's CRC and the
    // pixel data's checksum are then checked too, since the bytes go on.
    bool keepFile = false;
};

// The picture read from the open file `fd` (from where it stands), or empty
// with the reason in `error`.
std::optional<Picture> ReadPngPicture(int fd, const PngLimits& limits, std::string& error);

}  // namespace platform
