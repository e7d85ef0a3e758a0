#pragma once
// The two kinds of picture file the program writes.

#include <string_view>

namespace output {

enum class PictureFormat { Bitmap, Png };

// PNG when the name ends in ".png" in any mix of cases, bitmap otherwise.
constexpr PictureFormat FormatForFileName(std::string_view name) {
    constexpr std::string_view kPng = ".png";
    if (name.size() < kPng.size()) {
        return PictureFormat::Bitmap;
    }
    const std::string_view end = name.substr(name.size() - kPng.size());
    for (std::size_t i = 0; i < kPng.size(); ++i) {
        const char c =
            end[i] >= 'A' && end[i] <= 'Z' ? static_cast<char>(end[i] - 'A' + 'a') : end[i];
        if (c != kPng[i]) {
            return PictureFormat::Bitmap;
        }
    }
    return PictureFormat::Png;
}

}  // namespace output
