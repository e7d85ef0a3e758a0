#pragma once
// A picture's filtered rows (png_rows.h) compressed as one zlib stream, in
// bands of rows that threads compress each on its own: a band ends with a
// sync flush (an empty stored block, so the next band's deflate output
// starts on a byte), is primed with the 32 KiB of filtered rows before it
// (what deflate would still see there had one thread done it all), and
// goes in its own IDAT chunk; the checksums of the bands are combined. The
// bands depend on the picture's size alone, so the file is the same
// whatever the number of threads.
//
// A band of mostly photographic rows is coded with Huffman codes alone
// when a sample of its rows comes out smaller that way: a photograph's
// residuals hardly ever repeat as strings, so searching for matches costs
// time and saves nothing, but a smooth gradient's (nearly all zeros) do.
// Other bands get deflate at `kPngCompressionLevel`, the fastest zlib level
// that inserts every string of a match, which runs of zeros need to become
// a few bits a row.

#include <cstdint>
#include <string>
#include <vector>

#include "output/bitmap_file.h"

namespace output {

inline constexpr int kPngCompressionLevel = 4;

struct PngBands {
    // Complete IDAT chunks (length, type, data, CRC) in order, the last
    // holding the checksum of the whole stream; empty when it failed.
    std::vector<std::vector<std::uint8_t>> chunks;
    std::string error;  // why it failed
};

// `threads` of at least 1; the picture is not empty.
PngBands CompressPngBands(const PixelRows& image, int threads);

// Appends a chunk of `type` holding `size` bytes at `data`.
void AppendPngChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data,
                    std::size_t size);

}  // namespace output
