#pragma once
// Writes a picture in the format asked for: the one entry point of Save and
// of the command-line capture.

#include <string>

#include "output/bitmap_file.h"
#include "output/picture_format.h"

namespace output {

WriteResult WritePictureFile(const std::string& path, const PixelRows& image, PictureFormat format);

}  // namespace output
