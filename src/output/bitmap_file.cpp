#include "output/bitmap_file.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <optional>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace output {
namespace {

void Put16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
    at[2] = static_cast<std::uint8_t>(value >> 16);
    at[3] = static_cast<std::uint8_t>(value >> 24);
}

// 96 dots per inch (15 twips per pixel) in pixels per metre: 96 / 0.0254.
constexpr std::uint32_t kPixelsPerMetre = 3780;

#if defined(__x86_64__) || defined(__i386__)
// Sixteen pixels at a time: each four pixels shuffled down to twelve bytes,
// the four results joined into three 16-byte stores. Returns how many
// pixels it encoded, a multiple of 16.
__attribute__((target("ssse3"))) int EncodeSixteens(const std::uint32_t* in, int width,
                                                    std::uint8_t* out) {
    const __m128i pick = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const auto* from = reinterpret_cast<const __m128i*>(in + x);
        const __m128i a = _mm_shuffle_epi8(_mm_loadu_si128(from), pick);
        const __m128i b = _mm_shuffle_epi8(_mm_loadu_si128(from + 1), pick);
        const __m128i c = _mm_shuffle_epi8(_mm_loadu_si128(from + 2), pick);
        const __m128i d = _mm_shuffle_epi8(_mm_loadu_si128(from + 3), pick);
        auto* to = reinterpret_cast<__m128i*>(out + 3 * static_cast<std::size_t>(x));
        _mm_storeu_si128(to, _mm_or_si128(a, _mm_slli_si128(b, 12)));
        _mm_storeu_si128(to + 1, _mm_or_si128(_mm_srli_si128(b, 4), _mm_slli_si128(c, 8)));
        _mm_storeu_si128(to + 2, _mm_or_si128(_mm_srli_si128(c, 8), _mm_slli_si128(d, 4)));
    }
    return x;
}

bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

// One pixel row as blue, green, red bytes.
void EncodeRow(const std::uint32_t* in, int width, std::uint8_t* out) {
    if constexpr (std::endian::native == std::endian::little) {
        int start = 0;
#if defined(__x86_64__) || defined(__i386__)
        if (HasSsse3()) {
            start = EncodeSixteens(in, width - 1, out);
        }
#endif
        // A 0x00RRGGBB pixel lies in memory as blue, green, red, 0: store all
        // four bytes and let the next pixel overwrite the fourth.
        for (int x = start; x + 1 < width; ++x) {
            std::memcpy(out + 3 * static_cast<std::size_t>(x), in + x, 4);
        }
    } else {
        for (int x = 0; x + 1 < width; ++x) {
            std::uint8_t* px = out + 3 * static_cast<std::size_t>(x);
            px[0] = static_cast<std::uint8_t>(in[x]);
            px[1] = static_cast<std::uint8_t>(in[x] >> 8);
            px[2] = static_cast<std::uint8_t>(in[x] >> 16);
        }
    }
    const std::uint32_t last = in[width - 1];
    std::uint8_t* px = out + 3 * static_cast<std::size_t>(width - 1);
    px[0] = static_cast<std::uint8_t>(last);
    px[1] = static_cast<std::uint8_t>(last >> 8);
    px[2] = static_cast<std::uint8_t>(last >> 16);
}

std::string SystemReason(int error) {
    return std::strerror(error);
}

}  // namespace

namespace {

// The sizes of the file for `image`, or empty with the reason in `error`.
struct FileLayout {
    std::size_t rowBytes = 0;
    std::size_t imageBytes = 0;
    std::size_t fileBytes = 0;
};

std::optional<FileLayout> LayoutFor(const PixelRows& image, std::string& error) {
    if (image.width <= 0 || image.height <= 0 || image.pixels == nullptr) {
        error = "the picture is empty";
        return std::nullopt;
    }
    FileLayout layout;
    layout.rowBytes = BitmapRowBytes(image.width);
    const std::size_t height = static_cast<std::size_t>(image.height);
    // Every size in the headers is 32 bits.
    if (layout.rowBytes > (std::numeric_limits<std::uint32_t>::max() - kPixelDataOffset) / height) {
        error = "the picture is too large for a bitmap file";
        return std::nullopt;
    }
    layout.imageBytes = layout.rowBytes * height;
    layout.fileBytes = kPixelDataOffset + layout.imageBytes;
    return layout;
}

// The 54 header bytes.
void EncodeHeaders(const PixelRows& image, const FileLayout& layout, std::uint8_t* file) {
    // BITMAPFILEHEADER
    file[0] = 'B';                                                  // bfType
    file[1] = 'M';                                                  //
    Put32(file + 2, static_cast<std::uint32_t>(layout.fileBytes));  // bfSize
    Put16(file + 6, 0);                                             // bfReserved1
    Put16(file + 8, 0);                                             // bfReserved2
    Put32(file + 10, kPixelDataOffset);                             // bfOffBits

    // BITMAPINFOHEADER
    std::uint8_t* const info = file + kFileHeaderSize;
    Put32(info + 0, kInfoHeaderSize);                                 // biSize
    Put32(info + 4, static_cast<std::uint32_t>(image.width));         // biWidth
    Put32(info + 8, static_cast<std::uint32_t>(image.height));        // biHeight (> 0: bottom-up)
    Put16(info + 12, 1);                                              // biPlanes
    Put16(info + 14, 24);                                             // biBitCount
    Put32(info + 16, 0);                                              // biCompression (BI_RGB)
    Put32(info + 20, static_cast<std::uint32_t>(layout.imageBytes));  // biSizeImage
    Put32(info + 24, kPixelsPerMetre);                                // biXPelsPerMeter
    Put32(info + 28, kPixelsPerMetre);                                // biYPelsPerMeter
    Put32(info + 32, 0);                                              // biClrUsed (no palette)
    Put32(info + 36, 0);                                              // biClrImportant
}

// Stored rows [first, first + count): stored row k is the picture's row
// height - 1 - k, since the file keeps the bottom row first.
void EncodeRows(const PixelRows& image, const FileLayout& layout, int first, int count,
                std::uint8_t* out) {
    const std::size_t padding = layout.rowBytes - static_cast<std::size_t>(image.width) * 3;
    for (int k = first; k < first + count; ++k) {
        const int y = image.height - 1 - k;
        EncodeRow(image.pixels + image.stride * y, image.width, out);
        std::memset(out + layout.rowBytes - padding, 0, padding);
        out += layout.rowBytes;
    }
}

// Writes the file for `image` to `out` a slice at a time, each slice
// encoded just before it is written: no buffer the size of the file, and
// each slice is still in the cache when the sink copies it.
std::string WriteEncoded(ByteSink& out, const PixelRows& image, const FileLayout& layout) {
    constexpr std::size_t kSliceBytes = 256 * 1024;
    const int rowsPerSlice =
        static_cast<int>(std::max<std::size_t>(1, kSliceBytes / layout.rowBytes));
    std::unique_ptr<std::uint8_t[]> slice;
    try {
        slice = std::make_unique_for_overwrite<std::uint8_t[]>(
            kPixelDataOffset + layout.rowBytes * static_cast<std::size_t>(rowsPerSlice));
    } catch (const std::bad_alloc&) {
        return SystemReason(ENOMEM);
    }
    EncodeHeaders(image, layout, slice.get());
    std::size_t filled = kPixelDataOffset;
    for (int first = 0; first < image.height; first += rowsPerSlice) {
        const int count = std::min(rowsPerSlice, image.height - first);
        EncodeRows(image, layout, first, count, slice.get() + filled);
        filled += layout.rowBytes * static_cast<std::size_t>(count);
        if (std::string reason = out.write(slice.get(), filled); !reason.empty()) {
            return reason;
        }
        filled = 0;
    }
    return {};
}

}  // namespace

EncodedBitmap EncodeBitmap(const PixelRows& image) {
    EncodedBitmap result;
    const std::optional<FileLayout> layout = LayoutFor(image, result.error);
    if (!layout) {
        return result;
    }
    try {
        result.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(layout->fileBytes);
    } catch (const std::bad_alloc&) {
        result.error = SystemReason(ENOMEM);
        return result;
    }
    result.size = layout->fileBytes;
    EncodeHeaders(image, *layout, result.bytes.get());
    EncodeRows(image, *layout, 0, image.height, result.bytes.get() + kPixelDataOffset);
    return result;
}

WriteResult WriteBitmapFile(const std::string& path, const PixelRows& image, NameRule rule) {
    std::string error;
    const std::optional<FileLayout> layout = LayoutFor(image, error);
    if (!layout) {
        return {false, FailureMessage(path, error)};
    }
    return ReplaceFileWith(
        path, [&](ByteSink& out) { return WriteEncoded(out, image, *layout); }, rule);
}

}  // namespace output
