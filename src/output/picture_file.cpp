#include "output/picture_file.h"

#include "output/file_replace.h"
#include "output/jpeg_file.h"
#include "output/png_file.h"

namespace output {

WriteResult WritePictureFile(const std::string& path, const PixelRows& image, PictureFormat format,
                             int jpegQuality) {
    if (const std::string why = NameDisagreement(path, format); !why.empty()) {
        return {false, FailureMessage(path, why)};
    }
    switch (format) {
        case PictureFormat::Png:
            return WritePngFile(path, image);
        case PictureFormat::Jpeg:
            return WriteJpegFile(path, image, jpegQuality);
        case PictureFormat::Bitmap:
            break;
    }
    return WriteBitmapFile(path, image);
}

WriteResult WriteEncodedPicture(const std::string& path, const std::uint8_t* data, std::size_t size,
                                PictureFormat format) {
    if (const std::string why = NameDisagreement(path, format); !why.empty()) {
        return {false, FailureMessage(path, why)};
    }
    return ReplaceFileContents(path, data, size);
}

}  // namespace output
