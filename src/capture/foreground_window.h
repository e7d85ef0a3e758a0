#pragma once
// How big a capture of a window's rectangle makes. (Which window is in
// front and where it lies, the installed backend says: platform/backend.h.)

#include <optional>
#include <string>

#include "platform/backend.h"

namespace capture {

// The most pixels a capture can measure either way: its size is kept in
// 16-bit fields.
inline constexpr int kMaxCaptureSide = 32767;

struct CaptureSize {
    int width = 0;
    int height = 0;
};

// The size of a capture of `rect`, or empty when either side is negative or
// wider than a capture can be.
std::optional<CaptureSize> CaptureSizeOf(const platform::RECT& rect);

}  // namespace capture
