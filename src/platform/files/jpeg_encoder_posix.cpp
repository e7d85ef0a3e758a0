#include "platform/files/jpeg_encoder.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <bit>
#include <csetjmp>
#include <cstdlib>

static_assert(platform::files::kJpegMaxDimension == JPEG_MAX_DIMENSION);

namespace platform::files {
namespace {

// libjpeg reports errors through error_exit, which must not return: it
// longjmps back to the encoder. Nothing with a destructor lives in the
// frame that calls setjmp.
struct JpegErrors {
    jpeg_error_mgr manager{};
    std::jmp_buf back{};
    char message[JMSG_LENGTH_MAX] = {};
};

void OnError(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->back, 1);
}

void OnMessage(j_common_ptr, int) {}

// The 0x00RRGGBB pixels lie in memory as blue, green, red, unused on a
// little-endian machine, which libjpeg-turbo reads without a copy.
constexpr J_COLOR_SPACE kPixelLayout =
    std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// Returns false with errors.message set. `*out` and `*size` are libjpeg's
// buffer, which the caller frees whatever the outcome.
bool EncodeWith(jpeg_compress_struct& info, JpegErrors& errors, const JpegPixels& image,
                int quality, unsigned char** out, unsigned long* size) {
    if (setjmp(errors.back)) {
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 4;
    info.in_color_space = kPixelLayout;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // 96 dots per inch, as the bitmaps say.
    info.density_unit = 1;
    info.X_density = 96;
    info.Y_density = 96;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        // libjpeg only reads the rows, through a pointer that is not const.
        auto* row = reinterpret_cast<JSAMPROW>(
            const_cast<std::uint32_t*>(image.pixels + image.stride * info.next_scanline));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

}  // namespace

std::string EncodeJpeg(const JpegPixels& image, int quality, EncodedJpeg& out) {
    jpeg_compress_struct info{};
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnError;
    errors.manager.emit_message = OnMessage;
    // libjpeg's buffer of the encoded file, which it allocates with malloc().
    unsigned char* data = nullptr;
    unsigned long size = 0;
    const bool ok = EncodeWith(info, errors, image, quality, &data, &size);
    jpeg_destroy_compress(&info);
    out.bytes.reset(data,
                    [](const std::uint8_t* bytes) { std::free(const_cast<std::uint8_t*>(bytes)); });
    out.size = size;
    if (ok && data != nullptr && size > 0) {
        return {};
    }
    return errors.message[0] ? errors.message : "the JPEG library failed";
}

}  // namespace platform::files
