#include "output/picture_file.h"

#include "output/png_file.h"

namespace output {

WriteResult WritePictureFile(const std::string& path, const PixelRows& image,
                             PictureFormat format) {
    return format == PictureFormat::Png ? WritePngFile(path, image) : WriteBitmapFile(path, image);
}

}  // namespace output
