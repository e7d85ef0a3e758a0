#include "platform/raster/handle_release.h"

#include <vector>

#include "platform/raster/raster.h"

namespace raster {
namespace {

struct Retired {
    std::vector<HDC> contexts;
    std::vector<HBITMAP> bitmaps;
    int depth = 0;
};

Retired& retired() {
    static Retired r;
    return r;
}

}  // namespace

OperationScope::OperationScope() {
    ++retired().depth;
}

OperationScope::~OperationScope() {
    --retired().depth;
    ReleaseRetired();
}

void RetireContext(HDC dc) {
    if (dc) {
        retired().contexts.push_back(dc);
    }
}

void RetireBitmap(HBITMAP bitmap) {
    if (bitmap) {
        retired().bitmaps.push_back(bitmap);
    }
}

void ReplaceContext(HDC& slot, HDC next) {
    if (slot != next) {
        RetireContext(slot);
    }
    slot = next;
}

void ReplaceBitmap(HBITMAP& slot, HBITMAP next) {
    if (slot != next) {
        RetireBitmap(slot);
    }
    slot = next;
}

void ReleaseRetired() {
    Retired& r = retired();
    if (r.depth > 0) {
        return;
    }
    // Contexts first: a bitmap can only be deleted once no context holds it.
    for (HDC dc : r.contexts) {
        DeleteDC(dc);
    }
    r.contexts.clear();
    std::vector<HBITMAP> stillSelected;
    for (HBITMAP bitmap : r.bitmaps) {
        if (!DeleteObject(bitmap) && raster::BitmapPixels(bitmap)) {
            stillSelected.push_back(bitmap);
        }
    }
    r.bitmaps = std::move(stillSelected);
    // Between operations the screen is not being read.
    if (const auto screen = raster::CurrentScreenSource()) {
        screen->releaseIdle();
    }
}

std::size_t RetiredCount() {
    return retired().contexts.size() + retired().bitmaps.size();
}

}  // namespace raster
