#pragma once
// The crop's arithmetic: which rectangle of the capture a band dragged on the
// preview pane stands for, in either preview style. No drawing here.

#include <cstdint>
#include <optional>

namespace preview {

// The band as the rectangle shape holds it, in pane pixels.
struct Band {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// The part of the capture to keep. The source point stays real until it is
// used; the size is what CaptureWidth and CaptureHeight will hold.
struct CropSource {
    double x = 0;
    double y = 0;
    std::int16_t width = 0;
    std::int16_t height = 0;
};

enum class CropRefusal {
    // A product of the band with the capture size does not fit 32 bits, or
    // a band value is beyond any 32-bit pixel coordinate.
    Overflow,
    // The new width or height lies outside 0..32767.
    TooLarge,
    // The pane has no inner area to map from.
    EmptyPane,
};

struct CropMapping {
    std::optional<CropSource> source;  // empty when refused
    CropRefusal refusal = CropRefusal::Overflow;

    bool refused() const { return !source.has_value(); }
    // True when the crop would keep no pixel at all.
    bool empty() const { return source && (source->width == 0 || source->height == 0); }
};

// Actual Size: pane pixels are capture pixels. The source is the press point
// (already a whole pixel); the size is the band's, rounded.
CropMapping MapActualSize(const Band& band, std::int16_t pressX, std::int16_t pressY);

// Stretch to fit: the pane (paneWidth x paneHeight) shows the whole capture
// (captureWidth x captureHeight), so each band value is scaled by the capture
// size over the pane size in its direction.
CropMapping MapStretched(const Band& band, double paneWidth, double paneHeight,
                         std::int32_t captureWidth, std::int32_t captureHeight);

}  // namespace preview
