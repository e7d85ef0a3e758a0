#include "output/picture_format.h"

#include <array>

namespace output {
namespace {

// The extension after the last dot of the last path component, in lower
// case; empty when there is none.
std::string Extension(std::string_view fileName) {
    const std::size_t slash = fileName.rfind('/');
    const std::string_view base =
        slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t dot = base.rfind('.');
    if (dot == std::string_view::npos || dot == 0) {
        return {};
    }
    std::string extension(base.substr(dot + 1));
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return extension;
}

}  // namespace

std::string_view FormatName(PictureFormat format) {
    switch (format) {
        case PictureFormat::Png:
            return "png";
        case PictureFormat::Jpeg:
            return "jpeg";
        case PictureFormat::Bitmap:
            break;
    }
    return "bmp";
}

std::optional<PictureFormat> FormatNamed(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    if (lower == "bmp") {
        return PictureFormat::Bitmap;
    }
    if (lower == "png") {
        return PictureFormat::Png;
    }
    if (lower == "jpg" || lower == "jpeg") {
        return PictureFormat::Jpeg;
    }
    return std::nullopt;
}

std::optional<PictureFormat> FormatOfExtension(std::string_view fileName) {
    const std::string extension = Extension(fileName);
    return extension.empty() ? std::nullopt : FormatNamed(extension);
}

std::string ForeignImageExtension(std::string_view fileName) {
    static constexpr std::array<std::string_view, 22> kForeign = {
        "gif", "webp", "tif", "tiff", "avif", "heic", "heif", "jxl", "jp2", "j2k", "jfif",
        "ico", "tga",  "ppm", "pgm",  "pbm",  "pnm",  "pam",  "qoi", "xpm", "xbm", "svg"};
    const std::string extension = Extension(fileName);
    for (const std::string_view foreign : kForeign) {
        if (extension == foreign) {
            return extension;
        }
    }
    return {};
}

std::string NameDisagreement(std::string_view fileName, PictureFormat format) {
    if (const std::string foreign = ForeignImageExtension(fileName); !foreign.empty()) {
        return "the name ends in ." + foreign +
               ", a kind of picture this program does not write (it writes .bmp, .png, "
               ".jpg and .jpeg)";
    }
    const std::optional<PictureFormat> named = FormatOfExtension(fileName);
    if (named && *named != format) {
        return "the name ends in ." + Extension(fileName) + " but the picture would be " +
               std::string(FormatName(format));
    }
    return {};
}

}  // namespace output
