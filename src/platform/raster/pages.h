#pragma once
// Memory straight from the system, a page at a time: what the raster layer
// asks of the operating system for its large bitmaps, one implementation
// per system beside this header.

#include <cstddef>

namespace raster {

// The system's page size in bytes.
std::size_t PageSize();

// Large pages the system may back a block with: a block that starts on
// such a boundary costs a handful of page faults instead of thousands.
inline constexpr std::size_t kLargePage = std::size_t{2} << 20;

// `bytes` of zeroed memory (fresh pages are zero), starting on a
// kLargePage boundary and offered to the system for large pages; null when
// the system has no room.
void* MapPages(std::size_t bytes);

// Gives back a block MapPages made for `bytes`.
void UnmapPages(void* block, std::size_t bytes);

}  // namespace raster
