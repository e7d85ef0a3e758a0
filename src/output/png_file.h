#pragma once
// Writing pictures as PNG files (8-bit RGB, no alpha): each row filtered
// for what it shows (png_rows.h), then compressed in bands of rows on
// every processor (png_bands.h). Any decoder reads the file pixel for
// pixel. The file replaces its target whole, as bitmaps do. Nothing here
// needs Qt.

#include <cstdint>
#include <string>
#include <vector>

#include "output/bitmap_file.h"
#include "output/file_replace.h"
#include "output/png_bands.h"

namespace output {

struct EncodedPng {
    std::vector<std::uint8_t> bytes;  // the whole file; empty when encoding failed
    std::string error;                // why it failed
};

// On UsefulThreads() threads, or on `threads` (at least 1): the bytes are
// the same either way.
EncodedPng EncodePng(const PixelRows& image);
EncodedPng EncodePng(const PixelRows& image, int threads);

// EncodePng, then ReplaceFileContents, the chunks written as they come
// rather than joined into one buffer first.
WriteResult WritePngFile(const std::string& path, const PixelRows& image,
                         NameRule rule = NameRule::Replace);

// Encodes the whole file, then writes it to `out` chunk by chunk: nothing
// is written when encoding fails. Empty on success, else why it failed.
std::string WritePng(const PixelRows& image, ByteSink& out);

}  // namespace output
