#include "platform/wayland/png_picture.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <string_view>

#include "platform/raster/raster.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

struct Source {
    int fd;
    const PngLimits& limits;
    std::int64_t read = 0;
    bool late = false;
    bool grew = false;
    bool cut = false;
    int readError = 0;
    std::vector<std::uint8_t>* kept = nullptr;  // every byte read, when kept
};

// What libpng holds while a picture is read. Only plain data: libpng leaves
// the functions below by longjmp, which runs no destructors.
struct Decoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
};

[[noreturn]] void Fail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// A picture either reads or fails with its reason: libpng's warnings say
// nothing the user could act on.
void Ignore(png_structp, png_const_charp) {}

// libpng's reader: the file's bytes, as long as the deadline allows and no
// further than the size the file had when it was checked.
void ReadSource(png_structp png, png_bytep dest, std::size_t length) {
    Source& source = *static_cast<Source*>(png_get_io_ptr(png));
    while (length > 0) {
        if (Clock::now() >= source.limits.deadline) {
            source.late = true;
            png_error(png, "late");
        }
        if (source.read + static_cast<std::int64_t>(length) > source.limits.fileSize) {
            struct stat status {};
            source.grew =
                ::fstat(source.fd, &status) == 0 && status.st_size > source.limits.fileSize;
            source.cut = !source.grew;
            png_error(png, "past the end");
        }
        const ssize_t n = ::read(source.fd, dest, length);
        if (n == 0) {
            source.cut = true;
            png_error(png, "end of file");
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            source.readError = errno;
            png_error(png, "read error");
        }
        if (source.kept) {
            source.kept->insert(source.kept->end(), dest, dest + n);
        }
        dest += n;
        length -= static_cast<std::size_t>(n);
        source.read += n;
    }
}

// The signature and the chunks up to the pixel data; false when libpng
// gave up on them.
bool ReadHeader(Decoder& decoder, Source& source) {
    if (setjmp(png_jmpbuf(decoder.png))) {
        return false;
    }
    png_set_read_fn(decoder.png, &source, &ReadSource);
    // The portal wrote the file on this machine a moment ago: checking each
    // chunk's CRC and the pixel data's Adler-32 guards against no
    // transmission error and costs a pass over the data each (the Adler-32
    // alone a tenth of the decoding time). A malformed stream still fails.
    // Bytes that are kept to be copied are checked in full.
    if (!source.kept) {
        png_set_crc_action(decoder.png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
        png_set_option(decoder.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    }
    png_set_benign_errors(decoder.png, 0);
    // Text, colour profiles and the like: none is applied to the pixels, so
    // they are skipped unread rather than decompressed.
    png_set_keep_unknown_chunks(decoder.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    // Sizes are checked by the caller, with a message that says which.
    png_set_user_limits(decoder.png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_read_info(decoder.png, decoder.info);
    int interlace = 0;
    png_get_IHDR(decoder.png, decoder.info, &decoder.width, &decoder.height, &decoder.bitDepth,
                 &decoder.colourType, &interlace, nullptr, nullptr);
    return true;
}

// The pixels as R, G, B, A bytes, one word each, every colour type and
// depth brought to that; interlaced pictures pass over the rows several
// times. The deadline is checked before each row of each pass. `pixels`
// grows as the rows come (its capacity reserved, not yet touched): a file
// whose header promises a large picture and whose data fails costs little.
bool DecodeRows(Decoder& decoder, Source& source, std::vector<std::uint32_t>& pixels) {
    if (setjmp(png_jmpbuf(decoder.png))) {
        return false;
    }
    png_set_palette_to_rgb(decoder.png);
    png_set_expand_gray_1_2_4_to_8(decoder.png);
    png_set_strip_16(decoder.png);
    png_set_gray_to_rgb(decoder.png);
    png_set_filler(decoder.png, 0xFF, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(decoder.png);
    png_read_update_info(decoder.png, decoder.info);
    const std::size_t width = decoder.width;
    if (png_get_bit_depth(decoder.png, decoder.info) != 8 ||
        png_get_channels(decoder.png, decoder.info) != 4 ||
        png_get_rowbytes(decoder.png, decoder.info) != width * 4) {
        return false;
    }
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < decoder.height; ++y) {
            if (Clock::now() >= source.limits.deadline) {
                source.late = true;
                return false;
            }
            if (pixels.size() < (y + 1) * width) {
                pixels.resize((y + 1) * width);
            }
            png_read_row(decoder.png, reinterpret_cast<png_bytep>(pixels.data() + y * width),
                         nullptr);
        }
    }
    // The chunks after the pixels, to the end chunk, for a copy of the file.
    if (source.kept) {
        png_read_end(decoder.png, nullptr);
    }
    return true;
}

// The most bytes the compressed pixels and the chunks around them can take
// for a picture of this header: the raw rows (with the filter byte of each
// row of each interlace pass), stored blocks' overhead, chunk framing, and
// room for metadata.
std::int64_t LargestFile(const Decoder& decoder) {
    const int channels = decoder.colourType == PNG_COLOR_TYPE_RGB          ? 3
                         : decoder.colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                         : decoder.colourType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                                                                           : 1;
    const std::int64_t rowBytes =
        (std::int64_t{decoder.width} * channels * decoder.bitDepth + 7) / 8;
    const std::int64_t raw = (rowBytes + 8) * decoder.height;
    return raw + raw / 8 + (std::int64_t{4} << 20);
}

// Chunks a copy may hold besides IHDR, IDAT and IEND: a palette and
// metadata no viewer shows as other pixels than the decoded ones.
constexpr std::array<std::string_view, 16> kPlainChunks = {
    "PLTE", "tRNS", "cHRM", "gAMA", "iCCP", "sBIT", "sRGB", "bKGD",
    "hIST", "pHYs", "sPLT", "tIME", "tEXt", "zTXt", "iTXt", "eXIf"};

std::uint32_t BigEndian(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | bytes[3];
}

// Whether the file's bytes are a plain PNG of the decoded picture alone:
// every chunk's CRC right, IHDR first, one run of IDAT, IEND last, and
// nothing else than the chunks above. libpng skips an ancillary chunk with
// a wrong CRC, and frames of an animation, without decoding them, so a file
// holding either would not show what was decoded.
bool IsPlainPng(const std::vector<std::uint8_t>& file) {
    std::size_t at = 8;  // past the signature
    std::size_t index = 0;
    bool dataSeen = false;
    bool dataEnded = false;
    while (file.size() - at >= 12) {
        const std::uint32_t length = BigEndian(&file[at]);
        if (length > file.size() - at - 12) {
            return false;
        }
        const std::uint8_t* type = &file[at + 4];
        const std::string_view name(reinterpret_cast<const char*>(type), 4);
        const uLong crc = ::crc32(::crc32(0, nullptr, 0), type, length + 4);
        if (crc != BigEndian(type + 4 + length)) {
            return false;
        }
        at += std::size_t{length} + 12;
        if (name == "IEND") {
            return at == file.size() && dataSeen;
        }
        if ((index++ == 0) != (name == "IHDR")) {
            return false;
        }
        if (name == "IDAT") {
            if (dataEnded) {
                return false;
            }
            dataSeen = true;
        } else if (name != "IHDR") {
            if (std::find(kPlainChunks.begin(), kPlainChunks.end(), name) == kPlainChunks.end()) {
                return false;
            }
            dataEnded = dataSeen;
        }
    }
    return false;
}

class Context {
  public:
    Context() {
        decoder_.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &Fail, &Ignore);
        decoder_.info = decoder_.png ? png_create_info_struct(decoder_.png) : nullptr;
    }
    ~Context() { png_destroy_read_struct(&decoder_.png, &decoder_.info, nullptr); }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;
    Decoder& decoder() { return decoder_; }

  private:
    Decoder decoder_;
};

}  // namespace

std::optional<Picture> ReadPngPicture(int fd, const PngLimits& limits, std::string& error) {
    Context context;
    Decoder& decoder = context.decoder();
    Picture picture;
    Source source{fd, limits};
    if (limits.keepFile) {
        source.kept = &picture.file;
    }
    const auto failure = [&source, &error](const char* otherwise) {
        error = source.late   ? "it could not be read within the time allowed"
                : source.grew ? "it grew while it was read"
                : source.cut  ? "it ends before its picture does"
                : source.readError
                    ? std::string("it cannot be read: ") + std::strerror(source.readError)
                    : otherwise;
        return std::nullopt;
    };
    if (!decoder.info || !ReadHeader(decoder, source)) {
        return failure("it is not a PNG file that can be read");
    }
    const std::int64_t pixels = std::int64_t{decoder.width} * decoder.height;
    if (decoder.width == 0 || decoder.height == 0 || decoder.width > limits.maxWidth ||
        decoder.height > limits.maxHeight ||
        pixels > std::min(limits.maxPixels, raster::kMaxBitmapPixels)) {
        error = "its size, " + std::to_string(decoder.width) + " x " +
                std::to_string(decoder.height) + " pixels, is larger than this desktop (" +
                std::to_string(limits.maxWidth) + " x " + std::to_string(limits.maxHeight) +
                " pixels at most) can be";
        return std::nullopt;
    }
    if (limits.fileSize > LargestFile(decoder)) {
        error = "at " + std::to_string(limits.fileSize) + " bytes it is far larger than a PNG of " +
                std::to_string(decoder.width) + " x " + std::to_string(decoder.height) +
                " pixels can be";
        return std::nullopt;
    }
    if (limits.keepFile) {
        picture.file.reserve(static_cast<std::size_t>(limits.fileSize));
    }
    // Decoded row by row straight into the pixel buffer as R, G, B, A bytes,
    // then turned into 0x00RRGGBB words in place: one buffer, one pass.
    picture.width = static_cast<int>(decoder.width);
    picture.height = static_cast<int>(decoder.height);
    picture.pixels.reserve(static_cast<std::size_t>(pixels));
    if (!DecodeRows(decoder, source, picture.pixels)) {
        return failure("its pixels cannot be decoded");
    }
    // A screen shows a translucent pixel over black (nothing lies behind the
    // desktop): its colour scaled by its opacity.
    const auto shown = [](std::uint32_t channel, std::uint32_t alpha) {
        return alpha == 0xFF ? channel : (channel * alpha + 127) / 255;
    };
    bool opaque = true;
    for (std::uint32_t& pixel : picture.pixels) {
        std::uint8_t rgba[4];
        std::memcpy(rgba, &pixel, 4);
        opaque &= rgba[3] == 0xFF;
        pixel =
            shown(rgba[0], rgba[3]) << 16 | shown(rgba[1], rgba[3]) << 8 | shown(rgba[2], rgba[3]);
    }
    if (!opaque || (limits.keepFile && !IsPlainPng(picture.file))) {
        picture.file = {};
    }
    return picture;
}

}  // namespace platform
