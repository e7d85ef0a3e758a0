#pragma once
// The kinds of picture file the program writes, and what a file's name says
// about its kind. A file's content always agrees with its extension: a name
// ending in an extension of one of these kinds gets that kind, and a name
// ending in the extension of an image kind not written here is refused.

#include <optional>
#include <string>
#include <string_view>

namespace output {

enum class PictureFormat { Bitmap, Png, Jpeg };

// The JPEG quality (1 to 100) when none is asked for.
inline constexpr int kDefaultJpegQuality = 90;

// "bmp", "png" or "jpeg".
std::string_view FormatName(PictureFormat format);

// The kind named "bmp", "png", "jpg" or "jpeg" (any case), or empty.
std::optional<PictureFormat> FormatNamed(std::string_view name);

// The kind the name's extension (any case) names: .bmp, .png, .jpg, .jpeg.
// Empty for any other name.
std::optional<PictureFormat> FormatOfExtension(std::string_view fileName);

// The extension, without its dot, when it names an image kind that is not
// written here (.gif, .webp, .tiff, ...); empty otherwise.
std::string ForeignImageExtension(std::string_view fileName);

// Why `fileName` cannot hold a picture of kind `format`, or empty when it
// can: its extension names another kind.
std::string NameDisagreement(std::string_view fileName, PictureFormat format);

// The kind a file gets: the one its extension names, else `chosen`.
inline PictureFormat FormatForFile(std::string_view fileName, PictureFormat chosen) {
    return FormatOfExtension(fileName).value_or(chosen);
}

}  // namespace output
