#include "platform/wayland/png_picture.h"

#include <spng.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/raster/raster.h"

namespace platform {
namespace {

struct FreeContext {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::optional<Picture> ReadPngPicture(const std::string& path, std::string& error) {
    std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "rb"));
    std::unique_ptr<spng_ctx, FreeContext> ctx(spng_ctx_new(0));
    spng_ihdr header{};
    // The portal wrote the file on this machine a moment ago: checking each
    // chunk's CRC guards against no transmission error and costs a pass over
    // the data. zlib's own check of the pixel data stays.
    if (!file || !ctx || spng_set_crc_action(ctx.get(), SPNG_CRC_USE, SPNG_CRC_USE) != 0 ||
        spng_set_png_file(ctx.get(), file.get()) != 0 || spng_get_ihdr(ctx.get(), &header) != 0) {
        error = "it is not a PNG file that can be read";
        return std::nullopt;
    }
    if (header.width == 0 || header.height == 0 || header.width > 0x7FFF ||
        header.height > 0x7FFF ||
        std::int64_t{header.width} * header.height > raster::kMaxBitmapPixels) {
        error = "its size, " + std::to_string(header.width) + " x " +
                std::to_string(header.height) + " pixels, is no screen's";
        return std::nullopt;
    }
    // Decoded straight into the pixel buffer as R, G, B, A bytes, then
    // turned into 0x00RRGGBB words in place: one buffer, one pass.
    Picture picture;
    picture.width = static_cast<int>(header.width);
    picture.height = static_cast<int>(header.height);
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    std::size_t bytes = 0;
    if (spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &bytes) != 0 ||
        bytes != picture.pixels.size() * 4 ||
        spng_decode_image(ctx.get(), picture.pixels.data(), bytes, SPNG_FMT_RGBA8, 0) != 0) {
        error = "its pixels cannot be decoded";
        return std::nullopt;
    }
    for (std::uint32_t& pixel : picture.pixels) {
        std::uint8_t rgba[4];
        std::memcpy(rgba, &pixel, 4);
        pixel = std::uint32_t{rgba[0]} << 16 | std::uint32_t{rgba[1]} << 8 | rgba[2];
    }
    return picture;
}

}  // namespace platform
