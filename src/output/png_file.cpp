#include "output/png_file.h"

#include <cerrno>
#include <cstring>
#include <new>

#include "output/band_threads.h"
#include "output/file_replace.h"

namespace output {
namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A file's chunks before and after the IDAT chunks.
struct PngParts {
    std::vector<std::uint8_t> head;  // signature, IHDR, pHYs
    PngBands bands;
    std::vector<std::uint8_t> tail;  // IEND
    std::string error;
};

void PutBigEndian(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
}

PngParts EncodeParts(const PixelRows& image, int threads) {
    PngParts parts;
    if (image.width <= 0 || image.height <= 0 || image.pixels == nullptr) {
        parts.error = "the picture is empty";
        return parts;
    }
    try {
        parts.head.assign(kSignature, kSignature + sizeof kSignature);
        // Width, height, 8 bits a sample, RGB, deflate, adaptive filters,
        // not interlaced.
        std::uint8_t header[13] = {0, 0, 0, 0, 0, 0, 0, 0, 8, 2, 0, 0, 0};
        PutBigEndian(header, static_cast<std::uint32_t>(image.width));
        PutBigEndian(header + 4, static_cast<std::uint32_t>(image.height));
        AppendPngChunk(parts.head, "IHDR", header, sizeof header);
        // 96 dots per inch (3780 a metre) both ways, as the bitmaps say.
        std::uint8_t density[9] = {0, 0, 0, 0, 0, 0, 0, 0, 1};
        PutBigEndian(density, 3780);
        PutBigEndian(density + 4, 3780);
        AppendPngChunk(parts.head, "pHYs", density, sizeof density);
        AppendPngChunk(parts.tail, "IEND", nullptr, 0);
    } catch (const std::bad_alloc&) {
        parts.error = std::strerror(ENOMEM);
        return parts;
    }
    parts.bands = CompressPngBands(image, threads);
    parts.error = parts.bands.error;
    return parts;
}

std::string WriteParts(const PngParts& parts, ByteSink& out) {
    std::string reason = out.write(parts.head.data(), parts.head.size());
    for (std::size_t i = 0; reason.empty() && i < parts.bands.chunks.size(); ++i) {
        reason = out.write(parts.bands.chunks[i].data(), parts.bands.chunks[i].size());
    }
    return reason.empty() ? out.write(parts.tail.data(), parts.tail.size()) : reason;
}

}  // namespace

EncodedPng EncodePng(const PixelRows& image) {
    return EncodePng(image, UsefulThreads());
}

EncodedPng EncodePng(const PixelRows& image, int threads) {
    PngParts parts = EncodeParts(image, threads);
    EncodedPng result;
    if (!parts.error.empty()) {
        result.error = parts.error;
        return result;
    }
    try {
        std::size_t size = parts.head.size() + parts.tail.size();
        for (const auto& chunk : parts.bands.chunks) {
            size += chunk.size();
        }
        result.bytes = std::move(parts.head);
        result.bytes.reserve(size);
        for (const auto& chunk : parts.bands.chunks) {
            result.bytes.insert(result.bytes.end(), chunk.begin(), chunk.end());
        }
        result.bytes.insert(result.bytes.end(), parts.tail.begin(), parts.tail.end());
    } catch (const std::bad_alloc&) {
        result.bytes.clear();
        result.error = std::strerror(ENOMEM);
    }
    return result;
}

WriteResult WritePngFile(const std::string& path, const PixelRows& image, NameRule rule) {
    const PngParts parts = EncodeParts(image, UsefulThreads());
    if (!parts.error.empty()) {
        return {false, FailureMessage(path, parts.error)};
    }
    return ReplaceFileWith(
        path, [&parts](ByteSink& out) { return WriteParts(parts, out); }, rule);
}

std::string WritePng(const PixelRows& image, ByteSink& out) {
    const PngParts parts = EncodeParts(image, UsefulThreads());
    return parts.error.empty() ? WriteParts(parts, out) : parts.error;
}

}  // namespace output
