#pragma once
// Release of superseded contexts and bitmaps. Capture, crop and save handlers
// yield to the event loop, so one may run nested inside another and the outer
// one may still hold a handle that the inner one replaced. A replaced handle
// is therefore retired, and retired handles are deleted only when no such
// operation is in progress any more.

#include <cstddef>
#include <cstdint>

#include "platform/raster/gdi.h"

namespace raster {

// Marks a capture, crop or save operation as in progress for its lifetime.
class OperationScope {
  public:
    OperationScope();
    ~OperationScope();
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;
};

void RetireContext(HDC dc);
void RetireBitmap(HBITMAP bitmap);

// Stores `next` in `slot`, retiring what it held.
void ReplaceContext(HDC& slot, HDC next);
void ReplaceBitmap(HBITMAP& slot, HBITMAP next);

// Deletes what is retired if no operation is in progress, and lets the
// screen source give back the memory it keeps for reading.
void ReleaseRetired();
std::size_t RetiredCount();

}  // namespace raster
