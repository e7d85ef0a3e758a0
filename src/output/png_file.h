#pragma once
// Writing pictures as PNG files (8-bit RGB, no alpha) with libpng. Each row
// goes in unfiltered unless the Up filter (less the row above) turns it into
// far fewer runs, as it does for a row that repeats the one above or a band
// of flat colour; text stays unfiltered, where deflate finds repeated
// glyphs. Level 4 is the fastest zlib level that inserts every string of a
// match, which runs of zeros need to become a few bits a row. Measured at
// 1920 x 1080 (bench/run.sh, BENCHMARKS.md): this is smaller than libpng's
// defaults (level 6, adaptive filters) on text and flat screens, at about a
// third of their time. The file replaces its target whole, as bitmaps do.
// Nothing here needs Qt.

#include <cstdint>
#include <string>
#include <vector>

#include "output/bitmap_file.h"

namespace output {

inline constexpr int kPngCompressionLevel = 4;

struct EncodedPng {
    std::vector<std::uint8_t> bytes;  // the whole file; empty when encoding failed
    std::string error;                // why it failed
};

EncodedPng EncodePng(const PixelRows& image);

// EncodePng, then ReplaceFileContents.
WriteResult WritePngFile(const std::string& path, const PixelRows& image);

}  // namespace output
