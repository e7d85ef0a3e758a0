#include "capture/region_buffer.h"

#include "platform/raster/handle_release.h"
#include "program/variables.h"

namespace capture {
namespace {

struct Pending {
    bool active = false;
    raster::HDC previousDC = 0;
    raster::HBITMAP previousBitmap = 0;
    raster::HDC snapshotDC = 0;
    raster::HBITMAP snapshotBitmap = 0;
};

Pending& pending() {
    static Pending p;
    return p;
}

bool SnapshotIsCurrent(const Pending& p) {
    return p.active && variables::CaptureDC == p.snapshotDC &&
           variables::CaptureBitmap == p.snapshotBitmap;
}

void RetirePrevious(Pending& p) {
    raster::RetireContext(p.previousDC);
    raster::RetireBitmap(p.previousBitmap);
    p.previousDC = 0;
    p.previousBitmap = 0;
}

}  // namespace

void StoreSelectionSnapshot(raster::HDC snapshotDC, raster::HBITMAP snapshotBitmap) {
    Pending& p = pending();
    if (SnapshotIsCurrent(p)) {
        // The buffer holds an earlier selection's snapshot, not a capture.
        raster::ReplaceContext(variables::CaptureDC, snapshotDC);
        raster::ReplaceBitmap(variables::CaptureBitmap, snapshotBitmap);
    } else {
        if (p.active) {
            RetirePrevious(p);
        }
        p.previousDC = variables::CaptureDC;
        p.previousBitmap = variables::CaptureBitmap;
        variables::CaptureDC = snapshotDC;
        variables::CaptureBitmap = snapshotBitmap;
    }
    p.active = true;
    p.snapshotDC = snapshotDC;
    p.snapshotBitmap = snapshotBitmap;
}

void RestoreBufferBeforeSelection() {
    Pending& p = pending();
    if (!p.active) {
        return;
    }
    if (SnapshotIsCurrent(p)) {
        raster::ReplaceContext(variables::CaptureDC, p.previousDC);
        raster::ReplaceBitmap(variables::CaptureBitmap, p.previousBitmap);
    } else {
        RetirePrevious(p);
    }
    p = Pending{};
}

void ForgetBufferBeforeSelection() {
    Pending& p = pending();
    if (!p.active) {
        return;
    }
    RetirePrevious(p);
    p = Pending{};
}

bool SelectionPending() {
    return pending().active;
}

}  // namespace capture
