#include "output/picture_stream.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string>

#include "output/jpeg_file.h"
#include "output/png_file.h"

namespace output {
namespace {

WriteResult Failure(const std::string& reason) {
    return {false, "cannot write the picture to standard output: " + reason};
}

}  // namespace

WriteResult WriteBytesToStream(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const std::size_t chunk = std::min<std::size_t>(size, std::numeric_limits<ssize_t>::max());
        const ssize_t written = ::write(fd, data, chunk);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // A stream left non-blocking by whoever else shares it: wait
                // for room, as a blocking write would.
                pollfd ready{fd, POLLOUT, 0};
                if (::poll(&ready, 1, -1) >= 0 || errno == EINTR) {
                    continue;
                }
            }
            return Failure(std::strerror(errno));
        }
        if (written == 0) {
            return Failure(std::strerror(ENOSPC));
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return {true, {}};
}

WriteResult WritePictureToStream(int fd, const PixelRows& image, PictureFormat format,
                                 int jpegQuality) {
    switch (format) {
        case PictureFormat::Png: {
            const EncodedPng png = EncodePng(image);
            return png.bytes.empty() ? Failure(png.error)
                                     : WriteBytesToStream(fd, png.bytes.data(), png.bytes.size());
        }
        case PictureFormat::Jpeg: {
            const EncodedJpeg jpeg = EncodeJpeg(image, jpegQuality);
            return jpeg.bytes.empty()
                       ? Failure(jpeg.error)
                       : WriteBytesToStream(fd, jpeg.bytes.data(), jpeg.bytes.size());
        }
        case PictureFormat::Bitmap:
            break;
    }
    const EncodedBitmap bitmap = EncodeBitmap(image);
    return bitmap.bytes ? WriteBytesToStream(fd, bitmap.bytes.get(), bitmap.size)
                        : Failure(bitmap.error);
}

}  // namespace output
