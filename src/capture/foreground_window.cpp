#include "capture/foreground_window.h"

#include <cstdint>

namespace capture {
std::optional<CaptureSize> CaptureSizeOf(const platform::RECT& rect) {
    // In 64 bits, so that no rectangle overflows the subtraction.
    const std::int64_t width = std::int64_t{rect.right} - rect.left;
    const std::int64_t height = std::int64_t{rect.bottom} - rect.top;
    if (width < 0 || height < 0 || width > kMaxCaptureSide || height > kMaxCaptureSide) {
        return std::nullopt;
    }
    return CaptureSize{static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace capture
