#pragma once
// Writes a picture in the format asked for: the one entry point of Save and
// of the command-line capture. A name whose extension names another kind
// of picture is refused here, whoever asks, so that no file's content ever
// disagrees with its name.

#include <cstddef>
#include <cstdint>
#include <string>

#include "output/bitmap_file.h"
#include "output/picture_format.h"

namespace output {

// `jpegQuality` (1 to 100) is used for JPEG only.
WriteResult WritePictureFile(const std::string& path, const PixelRows& image, PictureFormat format,
                             int jpegQuality = kDefaultJpegQuality,
                             NameRule rule = NameRule::Replace);

// Writes `size` bytes already encoded as `format`, with the same check of
// the name.
WriteResult WriteEncodedPicture(const std::string& path, const std::uint8_t* data, std::size_t size,
                                PictureFormat format, NameRule rule = NameRule::Replace);

}  // namespace output
