#pragma once
// The one way the capture buffer (variables::CaptureDC, CaptureBitmap and
// the capture's size) is replaced. What it held is retired, not deleted: a
// handler that yielded may still read it until its operation ends.

#include <cstdint>

#include "capture/screen_grab.h"
#include "platform/raster/gdi.h"

namespace capture {

// Makes `grab` a width x height capture buffer; its screen context goes to
// `screenDC`.
void StoreGrab(raster::HDC& screenDC, const ScreenGrab& grab, std::int16_t width,
               std::int16_t height);

// Replaces the capture buffer by the width x height pixels of `source` from
// (x, y), in a buffer made for `screen`; what lies beyond the source's edge
// is black. `source` may be the capture buffer itself, which is cut from
// directly rather than copied first. False, with the buffer unchanged, when
// there is no memory for the new one.
bool CutCaptureBuffer(raster::HDC screen, raster::HDC source, int x, int y, std::int16_t width,
                      std::int16_t height);

}  // namespace capture
