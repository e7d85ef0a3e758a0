#pragma once
// Writing pictures as JPEG files (baseline, 4:2:0, no metadata) with the
// system's encoder (platform/files/jpeg_encoder.h), which takes the pixels
// as they lie in memory. The file replaces its target whole, as the other
// kinds do. Nothing here needs Qt.

#include <string>

#include "output/bitmap_file.h"
#include "output/file_replace.h"

namespace output {

// `quality` from 1 (smallest) to 100 (best). Encodes the whole file, then
// writes it to `out`: nothing is written when encoding fails. Empty on
// success, else why it failed.
std::string WriteJpeg(const PixelRows& image, int quality, ByteSink& out);

// Encodes the whole file, then replaces `path` with it (ReplaceFileContents).
WriteResult WriteJpegFile(const std::string& path, const PixelRows& image, int quality,
                          NameRule rule = NameRule::Replace);

}  // namespace output
