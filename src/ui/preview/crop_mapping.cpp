#include "ui/preview/crop_mapping.h"

#include <limits>

#include "base/rounding.h"

namespace preview {
namespace {

CropMapping Refuse(CropRefusal why) {
    CropMapping result;
    result.refusal = why;
    return result;
}

// a * b as a 32-bit product, or empty when it does not fit.
std::optional<std::int32_t> Multiply32(std::int32_t a, std::int32_t b) {
    const std::int64_t product = std::int64_t{a} * b;
    if (product < std::numeric_limits<std::int32_t>::min() ||
        product > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(product);
}

// A capture size: 0..32767 after rounding.
std::optional<std::int16_t> CaptureSize(double value) {
    const auto size = base::ToInt16(value);
    if (!size || *size < 0) {
        return std::nullopt;
    }
    return size;
}

}  // namespace

CropMapping MapActualSize(const Band& band, std::int16_t pressX, std::int16_t pressY) {
    const auto width = CaptureSize(band.width);
    const auto height = CaptureSize(band.height);
    if (!width || !height) {
        return Refuse(CropRefusal::TooLarge);
    }
    CropMapping result;
    result.source =
        CropSource{static_cast<double>(pressX), static_cast<double>(pressY), *width, *height};
    return result;
}

CropMapping MapStretched(const Band& band, double paneWidth, double paneHeight,
                         std::int32_t captureWidth, std::int32_t captureHeight) {
    const auto left = base::ToInt32(band.left);
    const auto top = base::ToInt32(band.top);
    const auto width = base::ToInt32(band.width);
    const auto height = base::ToInt32(band.height);
    const auto pw = base::ToInt32(paneWidth);
    const auto ph = base::ToInt32(paneHeight);
    if (!left || !top || !width || !height || !pw || !ph) {
        return Refuse(CropRefusal::Overflow);
    }
    if (*pw == 0 || *ph == 0) {
        return Refuse(CropRefusal::EmptyPane);
    }
    const auto sx = Multiply32(*left, captureWidth);
    const auto sy = Multiply32(*top, captureHeight);
    const auto sw = Multiply32(*width, captureWidth);
    const auto sh = Multiply32(*height, captureHeight);
    if (!sx || !sy || !sw || !sh) {
        return Refuse(CropRefusal::Overflow);
    }
    const auto newWidth = CaptureSize(static_cast<double>(*sw) / *pw);
    const auto newHeight = CaptureSize(static_cast<double>(*sh) / *ph);
    if (!newWidth || !newHeight) {
        return Refuse(CropRefusal::TooLarge);
    }
    CropMapping result;
    result.source = CropSource{static_cast<double>(*sx) / *pw, static_cast<double>(*sy) / *ph,
                               *newWidth, *newHeight};
    return result;
}

}  // namespace preview
