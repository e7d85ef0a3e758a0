#include "output/png_bands.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <stdexcept>

#include "output/band_threads.h"
#include "output/png_rows.h"

namespace output {
namespace {

// Filtered bytes per band at most, about: enough that priming, the flush
// and each band's own Huffman tables cost little (on a screen that packs
// to a few kilobytes they are a few per cent of the file), few enough that
// the bands share out well between threads; and at least this many bands
// where there are rows enough, so that a small picture shares out too.
constexpr std::size_t kBandBytes = 1024 * 1024;
constexpr int kLeastBands = 4;
constexpr std::size_t kWindowBytes = 32 * 1024;
constexpr std::size_t kChunkHeader = 8;  // length and type
// The zlib stream's header: deflate with a 32 KiB window, compressed fast.
constexpr std::uint8_t kZlibHeader[2] = {0x78, 0x5E};
// Input handed to zlib in one call at most (its counts are 32-bit).
constexpr std::size_t kZlibPiece = std::size_t{1} << 30;
// Filtered bytes at least, whole rows and two of them at least (so that a
// row can repeat the one above), in the sample that decides how a band of
// photographic rows is coded.
constexpr std::size_t kSampleBytes = 16 * 1024;

void PutBigEndian(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 24);
    at[1] = static_cast<std::uint8_t>(value >> 16);
    at[2] = static_cast<std::uint8_t>(value >> 8);
    at[3] = static_cast<std::uint8_t>(value);
}

// The chunk's length in front and its CRC (type and data) behind; `chunk`
// holds the length's room, the type and the data.
void SealChunk(std::vector<std::uint8_t>& chunk) {
    const std::size_t dataSize = chunk.size() - kChunkHeader;
    if (dataSize > 0x7FFFFFFF) {
        throw std::length_error("a PNG chunk would pass 2 GiB");
    }
    PutBigEndian(chunk.data(), static_cast<std::uint32_t>(dataSize));
    const uLong crc = crc32_z(crc32(0, Z_NULL, 0), chunk.data() + 4, dataSize + 4);
    std::uint8_t tail[4];
    PutBigEndian(tail, static_cast<std::uint32_t>(crc));
    chunk.insert(chunk.end(), tail, tail + 4);
}

struct Band {
    int firstRow = 0;
    int endRow = 0;
    std::vector<std::uint8_t> chunk;
    std::uint32_t adler = 0;  // of the band's filtered bytes
    std::size_t length = 0;   // of the band's filtered bytes
    std::string error;
};

class Deflater {
  public:
    Deflater() {
        ok_ = deflateInit2(&stream_, kPngCompressionLevel, Z_DEFLATED, -15, 8,
                           Z_DEFAULT_STRATEGY) == Z_OK;
    }
    // A new raw deflate stream in the same memory.
    bool restart(bool huffmanOnly) {
        return ok_ && deflateReset(&stream_) == Z_OK &&
               deflateParams(&stream_, huffmanOnly ? 1 : kPngCompressionLevel,
                             huffmanOnly ? Z_HUFFMAN_ONLY : Z_DEFAULT_STRATEGY) == Z_OK;
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;
    ~Deflater() {
        if (ok_) {
            deflateEnd(&stream_);
        }
    }
    bool ok() const { return ok_; }
    z_stream* operator->() { return &stream_; }
    z_stream* get() { return &stream_; }

  private:
    z_stream stream_{};
    bool ok_ = false;
};

// What a thread keeps from band to band: the compressor's tables and the
// buffers, which would otherwise be new memory, zeroed by the kernel page
// by page, for every band.
struct BandScratch {
    Deflater deflater;
    std::vector<std::uint8_t> filtered;
    std::vector<std::uint8_t> compressed;
};

// The size of `size` bytes at `data` as one raw deflate stream, Huffman
// codes alone or with matches; 0 when the compressor failed.
std::size_t TrialSize(BandScratch& scratch, bool huffmanOnly, const std::uint8_t* data,
                      std::size_t size) {
    Deflater& deflater = scratch.deflater;
    if (!deflater.restart(huffmanOnly)) {
        return 0;
    }
    scratch.compressed.resize(deflateBound(deflater.get(), size));
    deflater->next_in = const_cast<std::uint8_t*>(data);
    deflater->avail_in = static_cast<uInt>(size);
    deflater->next_out = scratch.compressed.data();
    deflater->avail_out = static_cast<uInt>(scratch.compressed.size());
    return deflate(deflater.get(), Z_FINISH) == Z_STREAM_END ? deflater->total_out : 0;
}

// Whether Huffman codes alone code a band of mostly photographic rows
// (`rows` filtered rows at `data`) smaller than deflate with matches, tried
// on rows from the band's middle. Photographs come out smaller that way,
// in a fraction of the time; rows that a filter leaves repeating (a
// gradient's zeros, a tiled picture) come out many times smaller with
// matches.
bool HuffmanOnlyIsSmaller(BandScratch& scratch, const std::uint8_t* data, std::size_t rows,
                          std::size_t rowBytes) {
    const std::size_t sampleRows =
        std::min(rows, std::max<std::size_t>(2, (kSampleBytes + rowBytes - 1) / rowBytes));
    const std::uint8_t* sample = data + (rows - sampleRows) / 2 * rowBytes;
    const std::size_t size = sampleRows * rowBytes;
    const std::size_t huffman = TrialSize(scratch, true, sample, size);
    const std::size_t matched = TrialSize(scratch, false, sample, size);
    return huffman == 0 || matched == 0 || huffman <= matched;
}

// Filters and compresses one band into its chunk, or sets its error.
void CompressBand(const PixelRows& image, Band& band, bool first, bool last) {
    thread_local BandScratch scratch;
    const std::size_t rowBytes = PngRowBytes(image.width);
    const int primingRows = first ? 0
                                  : static_cast<int>(std::min<std::size_t>(
                                        band.firstRow, (kWindowBytes + rowBytes - 1) / rowBytes));
    const std::size_t rows = static_cast<std::size_t>(band.endRow - band.firstRow);
    std::vector<std::uint8_t>& filtered = scratch.filtered;
    filtered.resize((primingRows + rows) * rowBytes);
    std::size_t photographicRows = 0;
    {
        PngRowFilter filter(image);
        for (int y = band.firstRow; y < band.endRow; ++y) {
            photographicRows +=
                filter.filter(y, filtered.data() + (y - band.firstRow + primingRows) * rowBytes);
        }
    }
    const std::uint8_t* data = filtered.data() + primingRows * rowBytes;
    const bool huffmanOnly =
        photographicRows * 2 > rows &&
        (rows * rowBytes > kZlibPiece || HuffmanOnlyIsSmaller(scratch, data, rows, rowBytes));
    // The rows before the band, which only deflate's search for matches uses.
    if (!huffmanOnly) {
        PngRowFilter filter(image);
        for (int y = band.firstRow - primingRows; y < band.firstRow; ++y) {
            filter.filter(y, filtered.data() + (y - band.firstRow + primingRows) * rowBytes);
        }
    }
    band.length = rows * rowBytes;
    band.adler = static_cast<std::uint32_t>(adler32_z(adler32(0, Z_NULL, 0), data, band.length));

    Deflater& deflater = scratch.deflater;
    if (!deflater.restart(huffmanOnly)) {
        band.error = "the compressor cannot start";
        return;
    }
    if (primingRows > 0 && !huffmanOnly) {
        const std::size_t primed = std::min(kWindowBytes, primingRows * rowBytes);
        deflateSetDictionary(deflater.get(), data - primed, static_cast<uInt>(primed));
    }
    // Room for all of it in one go: the bound, and the flush's 5 bytes.
    const std::size_t front = kChunkHeader + (first ? sizeof kZlibHeader : 0);
    std::vector<std::uint8_t>& compressed = scratch.compressed;
    compressed.resize(deflateBound(deflater.get(), band.length) + 16);
    deflater->next_out = compressed.data();
    const std::size_t room = compressed.size();
    std::size_t done = 0;
    int status = Z_OK;
    do {
        const std::size_t piece = std::min(kZlibPiece, band.length - done);
        const std::size_t outPiece = std::min<std::size_t>(UINT_MAX, room - deflater->total_out);
        deflater->next_in = const_cast<std::uint8_t*>(data + done);
        deflater->avail_in = static_cast<uInt>(piece);
        deflater->avail_out = static_cast<uInt>(outPiece);
        done += piece;
        const int flush = done < band.length ? Z_NO_FLUSH : last ? Z_FINISH : Z_SYNC_FLUSH;
        status = deflate(deflater.get(), flush);
        if (status == Z_STREAM_ERROR || deflater->avail_in != 0) {
            band.error = "the compressor failed";
            return;
        }
    } while (done < band.length);
    // A sync flush that filled the room to the last byte may not be whole.
    if ((last && status != Z_STREAM_END) || (!last && deflater->avail_out == 0)) {
        band.error = "the compressor ran out of room";
        return;
    }
    band.chunk.reserve(front + deflater->total_out + 4);  // and the CRC
    band.chunk.resize(front + deflater->total_out);
    std::memcpy(band.chunk.data() + 4, "IDAT", 4);
    if (first) {
        std::memcpy(band.chunk.data() + kChunkHeader, kZlibHeader, sizeof kZlibHeader);
    }
    std::memcpy(band.chunk.data() + front, compressed.data(), deflater->total_out);
    SealChunk(band.chunk);
}

}  // namespace

void AppendPngChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data,
                    std::size_t size) {
    std::vector<std::uint8_t> chunk(kChunkHeader);
    std::memcpy(chunk.data() + 4, type, 4);
    chunk.insert(chunk.end(), data, data + size);
    SealChunk(chunk);
    out.insert(out.end(), chunk.begin(), chunk.end());
}

PngBands CompressPngBands(const PixelRows& image, int threads) {
    PngBands result;
    const std::size_t rowBytes = PngRowBytes(image.width);
    const int rowsPerBand = static_cast<int>(std::clamp<std::size_t>(
        std::min<std::size_t>(kBandBytes / rowBytes, image.height / kLeastBands), 1,
        static_cast<std::size_t>(image.height)));
    std::vector<Band> bands;
    try {
        bands.resize((image.height + rowsPerBand - 1) / rowsPerBand);
        for (std::size_t i = 0; i < bands.size(); ++i) {
            bands[i].firstRow = static_cast<int>(i) * rowsPerBand;
            bands[i].endRow = std::min(image.height, bands[i].firstRow + rowsPerBand);
        }
        RunJobs(bands.size(), threads, [&](std::size_t i) {
            try {
                CompressBand(image, bands[i], i == 0, i + 1 == bands.size());
            } catch (const std::bad_alloc&) {
                bands[i].error = std::strerror(ENOMEM);
            } catch (const std::exception& e) {
                bands[i].error = e.what();
            }
        });
        uLong adler = adler32(0, Z_NULL, 0);
        for (Band& band : bands) {
            if (!band.error.empty()) {
                result.error = band.error;
                result.chunks.clear();
                return result;
            }
            adler = adler32_combine(adler, band.adler, static_cast<z_off_t>(band.length));
            result.chunks.push_back(std::move(band.chunk));
        }
        std::uint8_t checksum[4];
        PutBigEndian(checksum, static_cast<std::uint32_t>(adler));
        result.chunks.emplace_back();
        AppendPngChunk(result.chunks.back(), "IDAT", checksum, sizeof checksum);
    } catch (const std::bad_alloc&) {
        result.chunks.clear();
        result.error = std::strerror(ENOMEM);
    }
    return result;
}

}  // namespace output
