#pragma once
// A small GDI-shaped raster API over in-memory 32-bit pixels (0x00RRGGBB).
//
// Handles are 32-bit values and 0 is never a valid handle. Every call that is
// given a null, stale (deleted) or wrong-kind handle draws nothing and reports
// failure. The layer is used from one thread at a time.

#include <cstdint>

// The constants' names are also <windows.h> macros: kept out of their way
// here, so that a file may include both.
#pragma push_macro("SRCCOPY")
#pragma push_macro("COLORONCOLOR")
#pragma push_macro("HALFTONE")
#undef SRCCOPY
#undef COLORONCOLOR
#undef HALFTONE

namespace raster {

using HDC = std::uint32_t;
using HBITMAP = std::uint32_t;
using HGDIOBJ = std::uint32_t;

inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;

// Stretch modes: nearest neighbour (the default) and an area-averaging mode.
inline constexpr int COLORONCOLOR = 3;
inline constexpr int HALFTONE = 4;

// Only the "DISPLAY" driver exists; the other arguments must be null.
HDC CreateDCA(const char* driver, const char* device, const char* output, const void* initData);
HDC CreateCompatibleDC(HDC reference);
// A new bitmap is black. Returns 0 for a non-positive or unreasonably large size.
HBITMAP CreateCompatibleBitmap(HDC reference, int width, int height);
// Selects a bitmap into a memory context. Returns the bitmap selected before,
// or 0 when there was none or the call failed.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
bool BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            std::uint32_t rop);
bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, std::uint32_t rop);
// Returns the previous mode, or 0 on failure.
int SetStretchBltMode(HDC dc, int mode);
// Deselects the context's bitmap, which can then be deleted.
bool DeleteDC(HDC dc);
// Fails for a bitmap that is still selected into a context.
bool DeleteObject(HGDIOBJ object);

}  // namespace raster

#pragma pop_macro("HALFTONE")
#pragma pop_macro("COLORONCOLOR")
#pragma pop_macro("SRCCOPY")
