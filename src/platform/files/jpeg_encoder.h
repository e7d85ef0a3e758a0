#pragma once
// Encoding pixels as a JPEG file (baseline, 4:2:0, 96 dots per inch, no
// metadata) with what the system has: libjpeg-turbo on Linux
// (jpeg_encoder_posix.cpp), the Windows Imaging Component on Windows
// (jpeg_encoder_win32.cpp). Nothing here needs Qt.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform::files {

// The largest width or height either encoder takes.
inline constexpr int kJpegMaxDimension = 65500;

// 0x00RRGGBB pixels, `stride` pixels from one row to the next.
struct JpegPixels {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
};

// The whole encoded file, in memory as the encoder made it.
struct EncodedJpeg {
    std::shared_ptr<const std::uint8_t> bytes;
    std::size_t size = 0;
};

// Encodes `image`, whose sizes are from 1 to kJpegMaxDimension, at
// `quality` from 1 (smallest) to 100 (best). Empty on success, else why it
// failed.
std::string EncodeJpeg(const JpegPixels& image, int quality, EncodedJpeg& out);

}  // namespace platform::files
