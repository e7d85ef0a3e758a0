#pragma once
// One row of a picture as a PNG stores it: a filter-type byte, then red,
// green and blue bytes less a prediction from the pixels already written.
// Screens and photographs want different filters:
// - a row of screen content (text, flat colour) goes in unfiltered, or Up
//   (less the row above) when it repeats the row above or Up leaves far
//   fewer runs of equal values. Text stays unfiltered, where deflate finds
//   the repeated glyphs that any prediction breaks up;
// - a photographic row takes whichever of None, Sub, Up, Average and Paeth
//   gives the smallest sum of the residuals as signed bytes, the usual
//   minimum-sum rule: the residuals are then mostly small, which a Huffman
//   code packs tight (and a smooth gradient, under Paeth, nearly all
//   zeros). A row is photographic where over three in four pixels differ
//   from their left neighbour, or over two in five by a small step (a row
//   that crosses a photographic wallpaper and a window); dense text changes
//   as often, but in steep steps.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "output/bitmap_file.h"

namespace output {

// Bytes of one filtered row of `width` pixels, the filter byte included.
constexpr std::size_t PngRowBytes(int width) {
    return 1 + 3 * static_cast<std::size_t>(width);
}

// Filters rows of one picture in order; holds the current and previous rows
// as bytes.
class PngRowFilter {
  public:
    explicit PngRowFilter(const PixelRows& image);

    // Writes row y into `out` (PngRowBytes(width) bytes) and says whether it
    // was a photographic row. Rows may start anywhere but must then go up by
    // one.
    bool filter(int y, std::uint8_t* out);

  private:
    void loadRow(int y, std::uint8_t* into) const;

    PixelRows image_;
    int loaded_ = -1;  // the row `current_` holds
    // Each row as bytes after three zero bytes (the pixel left of the first),
    // with one byte of slack for the conversion's last 4-byte store.
    std::vector<std::uint8_t> current_;
    std::vector<std::uint8_t> above_;
};

}  // namespace output
