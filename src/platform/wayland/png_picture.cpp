#include "platform/wayland/png_picture.h"

#include <spng.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/raster/raster.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

struct FreeContext {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

struct Source {
    int fd;
    const PngLimits& limits;
    std::int64_t read = 0;
    bool late = false;
    bool grew = false;
};

// spng's reader: the file's bytes, as long as the deadline allows and no
// further than the size the file had when it was checked.
int ReadSource(spng_ctx*, void* user, void* dest, std::size_t length) {
    Source& source = *static_cast<Source*>(user);
    auto* out = static_cast<char*>(dest);
    while (length > 0) {
        if (Clock::now() >= source.limits.deadline) {
            source.late = true;
            return SPNG_IO_ERROR;
        }
        if (source.read + static_cast<std::int64_t>(length) > source.limits.fileSize) {
            source.grew = true;
            return SPNG_IO_EOF;
        }
        const ssize_t n = ::read(source.fd, out, length);
        if (n == 0) {
            return SPNG_IO_EOF;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return SPNG_IO_ERROR;
        }
        out += n;
        length -= static_cast<std::size_t>(n);
        source.read += n;
    }
    return 0;
}

// The most bytes the compressed pixels and the chunks around them can take
// for a picture of this header: the raw rows (with the filter byte of each
// row of each interlace pass), stored blocks' overhead, chunk framing, and
// room for metadata.
std::int64_t LargestFile(const spng_ihdr& header) {
    const int channels = header.color_type == SPNG_COLOR_TYPE_TRUECOLOR         ? 3
                         : header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ? 2
                         : header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ? 4
                                                                                : 1;
    const std::int64_t rowBytes =
        (std::int64_t{header.width} * channels * header.bit_depth + 7) / 8;
    const std::int64_t raw = (rowBytes + 8) * header.height;
    return raw + raw / 8 + (std::int64_t{4} << 20);
}

}  // namespace

std::optional<Picture> ReadPngPicture(int fd, const PngLimits& limits, std::string& error) {
    std::unique_ptr<spng_ctx, FreeContext> ctx(spng_ctx_new(0));
    Source source{fd, limits};
    const auto failure = [&source, &error](const char* otherwise) {
        error = source.late   ? "it could not be read within the time allowed"
                : source.grew ? "it grew while it was read"
                              : otherwise;
        return std::nullopt;
    };
    spng_ihdr header{};
    // The portal wrote the file on this machine a moment ago: checking each
    // chunk's CRC guards against no transmission error and costs a pass over
    // the data. zlib's own check of the pixel data stays.
    if (!ctx || spng_set_crc_action(ctx.get(), SPNG_CRC_USE, SPNG_CRC_USE) != 0 ||
        spng_set_png_stream(ctx.get(), &ReadSource, &source) != 0 ||
        spng_get_ihdr(ctx.get(), &header) != 0) {
        return failure("it is not a PNG file that can be read");
    }
    const std::int64_t pixels = std::int64_t{header.width} * header.height;
    if (header.width == 0 || header.height == 0 || header.width > limits.maxWidth ||
        header.height > limits.maxHeight ||
        pixels > std::min(limits.maxPixels, raster::kMaxBitmapPixels)) {
        error = "its size, " + std::to_string(header.width) + " x " +
                std::to_string(header.height) + " pixels, is larger than this desktop (" +
                std::to_string(limits.maxWidth) + " x " + std::to_string(limits.maxHeight) +
                " pixels at most) can be";
        return std::nullopt;
    }
    if (limits.fileSize > LargestFile(header)) {
        error = "at " + std::to_string(limits.fileSize) + " bytes it is far larger than a PNG of " +
                std::to_string(header.width) + " x " + std::to_string(header.height) +
                " pixels can be";
        return std::nullopt;
    }
    // Decoded row by row straight into the pixel buffer as R, G, B, A bytes
    // (the deadline is checked between rows), then turned into 0x00RRGGBB
    // words in place: one buffer, one pass.
    Picture picture;
    picture.width = static_cast<int>(header.width);
    picture.height = static_cast<int>(header.height);
    picture.pixels.resize(static_cast<std::size_t>(pixels));
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * 4;
    std::size_t bytes = 0;
    if (spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &bytes) != 0 ||
        bytes != picture.pixels.size() * 4 ||
        spng_decode_image(ctx.get(), nullptr, 0, SPNG_FMT_RGBA8, SPNG_DECODE_PROGRESSIVE) != 0) {
        return failure("its pixels cannot be decoded");
    }
    int status = 0;
    do {
        spng_row_info row{};
        status = spng_get_row_info(ctx.get(), &row);
        if (status == 0) {
            if (Clock::now() >= limits.deadline) {
                source.late = true;
                break;
            }
            status = spng_decode_row(
                ctx.get(), picture.pixels.data() + std::size_t{row.row_num} * picture.width,
                rowBytes);
        }
    } while (status == 0);
    if (status != SPNG_EOI) {
        return failure("its pixels cannot be decoded");
    }
    for (std::uint32_t& pixel : picture.pixels) {
        std::uint8_t rgba[4];
        std::memcpy(rgba, &pixel, 4);
        pixel = std::uint32_t{rgba[0]} << 16 | std::uint32_t{rgba[1]} << 8 | rgba[2];
    }
    return picture;
}

}  // namespace platform
