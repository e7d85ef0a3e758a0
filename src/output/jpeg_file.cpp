#include "output/jpeg_file.h"

#include "output/file_replace.h"
#include "platform/files/jpeg_encoder.h"

namespace output {
namespace {

using platform::files::EncodedJpeg;
using platform::files::kJpegMaxDimension;

// The whole file in `out`, or why it cannot be made.
std::string Encode(const PixelRows& image, int quality, EncodedJpeg& out) {
    if (image.width <= 0 || image.height <= 0 || image.pixels == nullptr ||
        image.width > kJpegMaxDimension || image.height > kJpegMaxDimension) {
        return "the picture is empty or too large for JPEG";
    }
    if (quality < 1 || quality > 100) {
        return "the JPEG quality must be from 1 to 100";
    }
    return platform::files::EncodeJpeg({image.pixels, image.width, image.height, image.stride},
                                       quality, out);
}

}  // namespace

std::string WriteJpeg(const PixelRows& image, int quality, ByteSink& out) {
    EncodedJpeg encoded;
    const std::string reason = Encode(image, quality, encoded);
    return reason.empty() ? out.write(encoded.bytes.get(), encoded.size) : reason;
}

WriteResult WriteJpegFile(const std::string& path, const PixelRows& image, int quality,
                          NameRule rule) {
    EncodedJpeg encoded;
    if (const std::string reason = Encode(image, quality, encoded); !reason.empty()) {
        return {false, FailureMessage(path, reason)};
    }
    return ReplaceFileContents(path, encoded.bytes.get(), encoded.size, rule);
}

}  // namespace output
