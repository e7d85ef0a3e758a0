#pragma once
// The capture buffer while a region is being selected. The selection starts
// by putting a full-screen snapshot into the buffer; the buffer it replaces
// is kept aside so that a cancelled selection can put it back untouched.

#include "platform/raster/gdi.h"

namespace capture {

// Stores the snapshot as the capture buffer, keeping the buffer it replaces.
// A snapshot that an earlier, unfinished selection left is simply replaced.
void StoreSelectionSnapshot(raster::HDC snapshotDC, raster::HBITMAP snapshotBitmap);

// The selection was cancelled: the kept buffer becomes the capture again and
// the snapshot is retired. If another capture has replaced the snapshot in
// the meantime, that capture stays and the kept buffer is retired.
void RestoreBufferBeforeSelection();

// The selection completed: the kept buffer is no longer needed.
void ForgetBufferBeforeSelection();

bool SelectionPending();

}  // namespace capture
