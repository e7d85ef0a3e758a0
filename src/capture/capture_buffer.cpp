#include "capture/capture_buffer.h"

#include "platform/raster/handle_release.h"
#include "program/variables.h"

namespace capture {
namespace {

void StoreBuffer(raster::HDC memory, raster::HBITMAP bitmap, std::int16_t width,
                 std::int16_t height) {
    raster::ReplaceContext(variables::CaptureDC, memory);
    raster::ReplaceBitmap(variables::CaptureBitmap, bitmap);
    variables::CaptureWidth = width;
    variables::CaptureHeight = height;
}

}  // namespace

void StoreGrab(raster::HDC& screenDC, const ScreenGrab& grab, std::int16_t width,
               std::int16_t height) {
    raster::ReplaceContext(screenDC, grab.screen);
    StoreBuffer(grab.memory, grab.bitmap, width, height);
}

bool CutCaptureBuffer(raster::HDC screen, raster::HDC source, int x, int y, std::int16_t width,
                      std::int16_t height) {
    const raster::HBITMAP bitmap = raster::CreateCompatibleBitmap(screen, width, height);
    const raster::HDC memory = raster::CreateCompatibleDC(screen);
    if (!bitmap || !memory) {
        raster::DeleteDC(memory);
        raster::DeleteObject(bitmap);
        return false;
    }
    raster::SelectObject(memory, bitmap);
    raster::BitBlt(memory, 0, 0, width, height, source, x, y, raster::SRCCOPY);
    StoreBuffer(memory, bitmap, width, height);
    return true;
}

}  // namespace capture
