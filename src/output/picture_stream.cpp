#include "output/picture_stream.h"

#include <string>

#include "output/jpeg_file.h"
#include "output/png_file.h"

namespace output {
namespace {

WriteResult Outcome(const std::string& reason) {
    if (reason.empty()) {
        return {true, {}};
    }
    return {false, "cannot write the picture to standard output: " + reason};
}

}  // namespace

WriteResult WriteBytesToStream(ByteSink& out, const std::uint8_t* data, std::size_t size) {
    return Outcome(out.write(data, size));
}

WriteResult WritePictureToStream(ByteSink& out, const PixelRows& image, PictureFormat format,
                                 int jpegQuality) {
    switch (format) {
        case PictureFormat::Png:
            return Outcome(WritePng(image, out));
        case PictureFormat::Jpeg:
            return Outcome(WriteJpeg(image, jpegQuality, out));
        case PictureFormat::Bitmap:
            break;
    }
    const EncodedBitmap bitmap = EncodeBitmap(image);
    return Outcome(bitmap.bytes ? out.write(bitmap.bytes.get(), bitmap.size) : bitmap.error);
}

}  // namespace output
