#pragma once
// Writing a picture to a stream, such as standard output for a pipe, where
// no file can be replaced whole: the picture is encoded completely first,
// so that a failed encoding writes nothing, and only then written. Nothing
// here needs Qt.

#include <cstddef>
#include <cstdint>

#include "output/bitmap_file.h"
#include "output/file_replace.h"
#include "output/picture_format.h"

namespace output {

// Writes `image` in `format` to standard output through `out`;
// `jpegQuality` (1 to 100) is used for JPEG only. A reader that has gone
// (EPIPE) is a failure, said in `message`; SIGPIPE must be ignored.
WriteResult WritePictureToStream(ByteSink& out, const PixelRows& image, PictureFormat format,
                                 int jpegQuality = kDefaultJpegQuality);

// Writes `size` bytes already encoded, as above.
WriteResult WriteBytesToStream(ByteSink& out, const std::uint8_t* data, std::size_t size);

}  // namespace output
