#include "output/picture_file.h"

#include "output/file_replace.h"
#include "output/jpeg_file.h"
#include "output/png_file.h"

namespace output {

WriteResult WritePictureFile(const std::string& path, const PixelRows& image, PictureFormat format,
                             int jpegQuality, NameRule rule) {
    if (const std::string why = NameDisagreement(path, format); !why.empty()) {
        return {false, FailureMessage(path, why)};
    }
    switch (format) {
        case PictureFormat::Png:
            return WritePngFile(path, image, rule);
        case PictureFormat::Jpeg:
            return WriteJpegFile(path, image, jpegQuality, rule);
        case PictureFormat::Bitmap:
            break;
    }
    return WriteBitmapFile(path, image, rule);
}

WriteResult WriteEncodedPicture(const std::string& path, const std::uint8_t* data, std::size_t size,
                                PictureFormat format, NameRule rule) {
    if (const std::string why = NameDisagreement(path, format); !why.empty()) {
        return {false, FailureMessage(path, why)};
    }
    return ReplaceFileContents(path, data, size, rule);
}

}  // namespace output
