#pragma once
// Writing pictures as JPEG files (baseline, 4:2:0, no metadata) with
// libjpeg-turbo, which takes the pixels as they lie in memory. The file
// replaces its target whole, as the other kinds do. Nothing here needs Qt.

#include <cstdint>
#include <string>
#include <vector>

#include "output/bitmap_file.h"

namespace output {

struct EncodedJpeg {
    std::vector<std::uint8_t> bytes;  // the whole file; empty when encoding failed
    std::string error;                // why it failed
};

// `quality` from 1 (smallest) to 100 (best).
EncodedJpeg EncodeJpeg(const PixelRows& image, int quality);

// EncodeJpeg, then ReplaceFileContents.
WriteResult WriteJpegFile(const std::string& path, const PixelRows& image, int quality,
                          NameRule rule = NameRule::Replace);

}  // namespace output
