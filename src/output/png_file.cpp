#include "output/png_file.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstring>
#include <new>

namespace output {
namespace {

// What libpng's callbacks share with the encoder. libpng reports errors by
// longjmp, so nothing with a destructor may live in the frame that calls
// setjmp, and no C++ exception may travel through libpng's frames.
struct PngSink {
    std::vector<std::uint8_t>* bytes = nullptr;
    char error[160] = {};
};

void OnError(png_structp png, png_const_charp message) {
    auto* sink = static_cast<PngSink*>(png_get_error_ptr(png));
    std::strncpy(sink->error, message, sizeof sink->error - 1);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    try {
        sink->bytes->insert(sink->bytes->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        png_error(png, std::strerror(ENOMEM));
    }
}

void OnFlush(png_structp) {}

// Each byte of a less each byte of b, modulo 256, as the Up filter takes
// them: no borrow crosses from one byte into the next.
std::uint32_t ByteDifferences(std::uint32_t a, std::uint32_t b) {
    constexpr std::uint32_t kHigh = 0x80808080;
    return ((a | kHigh) - (b & ~kHigh)) ^ ((a ^ ~b) & kHigh);
}

// Whether row y goes in Up-filtered (less the row above) rather than as it
// is: when it repeats the row above, or when that leaves under an eighth of
// the runs of equal pixels. A row
// that repeats the one above becomes one run of zeros, and across bands of
// flat colour the differences are one run too. Anything less clear-cut
// stays unfiltered: on text, Up costs far more than the runs suggest, as it
// breaks up the repeated glyphs that deflate finds.
bool UpIsBetter(const PixelRows& image, int y) {
    if (y == 0) {
        return false;
    }
    const std::uint32_t* row = image.pixels + image.stride * y;
    const std::uint32_t* above = row - image.stride;
    const std::size_t width = static_cast<std::size_t>(image.width);
    if (std::memcmp(row, above, width * sizeof(std::uint32_t)) == 0) {
        return true;
    }
    // Up loses once it has an eighth of the runs a row can have at most.
    const std::size_t upRunsAllowed = width / 8;
    std::size_t plainRuns = 0;
    std::size_t upRuns = 0;
    std::uint32_t previousUp = ByteDifferences(row[0], above[0]);
    for (std::size_t x = 1; x < width && upRuns < upRunsAllowed; ++x) {
        const std::uint32_t up = ByteDifferences(row[x], above[x]);
        plainRuns += row[x] != row[x - 1];
        upRuns += up != previousUp;
        previousUp = up;
    }
    return upRuns * 8 < plainRuns;
}

// One row as red, green, blue bytes; `out` has room for one byte more.
// (libpng's own byte-at-a-time transforms took a fifth of the encoding.)
void ToRgb(const std::uint32_t* in, int width, std::uint8_t* out) {
    for (int x = 0; x < width; ++x) {
        // 0x00RRGGBB moved up and byte-swapped lies in memory as red,
        // green, blue, 0; the next pixel overwrites the 0.
        const std::uint32_t rgb0 =
            std::endian::native == std::endian::little ? __builtin_bswap32(in[x] << 8) : in[x] << 8;
        std::memcpy(out + 3 * static_cast<std::size_t>(x), &rgb0, 4);
    }
}

// Returns false with sink.error set when libpng fails. `rgbRow` holds
// 3 * width + 1 bytes.
bool EncodeWith(png_structp png, png_infop info, const PixelRows& image, std::uint8_t* rgbRow) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // 96 dots per inch, as the bitmaps say.
    png_set_pHYs(png, info, 3780, 3780, PNG_RESOLUTION_METER);
    png_set_compression_level(png, kPngCompressionLevel);
    // Both filters from the start, so that libpng keeps the row above.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP | PNG_FILTER_NONE);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
        // Up on the first row is no filter at all (the row above counts as
        // zeros), and it makes libpng set up its buffer for the row above.
        const bool up = y == 0 || UpIsBetter(image, y);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, up ? PNG_FILTER_UP : PNG_FILTER_NONE);
        ToRgb(image.pixels + image.stride * y, image.width, rgbRow);
        png_write_row(png, rgbRow);
    }
    png_write_end(png, info);
    return true;
}

}  // namespace

EncodedPng EncodePng(const PixelRows& image) {
    EncodedPng result;
    if (image.width <= 0 || image.height <= 0 || image.pixels == nullptr) {
        result.error = "the picture is empty";
        return result;
    }
    std::vector<std::uint8_t> rgbRow;
    try {
        rgbRow.resize(3 * static_cast<std::size_t>(image.width) + 1);
        // Screens compress to a few per cent; this saves most regrowing.
        result.bytes.reserve(static_cast<std::size_t>(image.width) * image.height / 16);
    } catch (const std::bad_alloc&) {
        result.error = std::strerror(ENOMEM);
        return result;
    }
    PngSink sink;
    sink.bytes = &result.bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_write_struct(&png, &info);
        result.error = std::strerror(ENOMEM);
        return result;
    }
    png_set_write_fn(png, &sink, OnWrite, OnFlush);
    const bool ok = EncodeWith(png, info, image, rgbRow.data());
    png_destroy_write_struct(&png, &info);
    if (!ok) {
        result.bytes.clear();
        result.error = sink.error[0] ? sink.error : "the PNG library failed";
    }
    return result;
}

WriteResult WritePngFile(const std::string& path, const PixelRows& image) {
    const EncodedPng encoded = EncodePng(image);
    if (encoded.bytes.empty()) {
        return {false, FailureMessage(path, encoded.error)};
    }
    return ReplaceFileContents(path, encoded.bytes.data(), encoded.bytes.size());
}

}  // namespace output
