#include "output/picture_stream.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "output/file_replace.h"
#include "output/jpeg_file.h"
#include "output/png_file.h"

namespace output {
namespace {

WriteResult Failure(const std::string& reason) {
    return {false, "cannot write the picture to standard output: " + reason};
}

}  // namespace

WriteResult WriteBytesToStream(int fd, const std::uint8_t* data, std::size_t size) {
    if (!WriteAll(fd, data, size)) {
        return Failure(std::strerror(errno));
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
