#pragma once
// The PNG file a desktop portal writes, read into 0x00RRGGBB pixels.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // rows top to bottom
};

// The picture, or empty with the reason in `error`.
std::optional<Picture> ReadPngPicture(const std::string& path, std::string& error);

}  // namespace platform
