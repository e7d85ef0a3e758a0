#include "platform/win32/pointer_picture.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace platform::win32 {
namespace {

// The pointer drawn over a square of one colour, as 0x00RRGGBB pixels.
bool DrawOver(::HICON icon, int width, int height, std::uint32_t background,
              std::vector<std::uint32_t>& pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const ::HDC dc = ::CreateCompatibleDC(nullptr);
    const ::HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = dc != nullptr && bitmap != nullptr;
    if (ok) {
        auto* out = static_cast<std::uint32_t*>(bits);
        std::fill(out, out + static_cast<std::size_t>(width) * height, background);
        const ::HGDIOBJ previous = ::SelectObject(dc, bitmap);
        ok = ::DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL) != FALSE;
        ::GdiFlush();
        ::SelectObject(dc, previous);
        pixels.assign(out, out + static_cast<std::size_t>(width) * height);
    }
    if (bitmap != nullptr) {
        ::DeleteObject(bitmap);
    }
    if (dc != nullptr) {
        ::DeleteDC(dc);
    }
    return ok;
}

}  // namespace

std::optional<PointerPicture> CurrentPointerPicture() {
    CURSORINFO cursor{};
    cursor.cbSize = sizeof(cursor);
    if (!::GetCursorInfo(&cursor) || !(cursor.flags & CURSOR_SHOWING) ||
        cursor.hCursor == nullptr) {
        return std::nullopt;
    }
    ICONINFO icon{};
    if (!::GetIconInfo(cursor.hCursor, &icon)) {
        return std::nullopt;
    }
    BITMAP mask{};
    const bool measured = ::GetObjectW(icon.hbmMask, sizeof(mask), &mask) != 0;
    // A monochrome pointer's mask holds the AND and XOR halves one above
    // the other.
    const int width = mask.bmWidth;
    const int height = icon.hbmColor != nullptr ? mask.bmHeight : mask.bmHeight / 2;
    if (icon.hbmMask != nullptr) {
        ::DeleteObject(icon.hbmMask);
    }
    if (icon.hbmColor != nullptr) {
        ::DeleteObject(icon.hbmColor);
    }
    if (!measured || width <= 0 || height <= 0 || width > 1024 || height > 1024) {
        return std::nullopt;
    }
    // Drawn over black and over white: where the two differ, the
    // background shows through, which gives the coverage; over black the
    // colour comes premultiplied.
    std::vector<std::uint32_t> overBlack;
    std::vector<std::uint32_t> overWhite;
    if (!DrawOver(cursor.hCursor, width, height, 0x000000, overBlack) ||
        !DrawOver(cursor.hCursor, width, height, 0xffffff, overWhite)) {
        return std::nullopt;
    }
    PointerPicture picture;
    picture.left = cursor.ptScreenPos.x - static_cast<std::int32_t>(icon.xHotspot);
    picture.top = cursor.ptScreenPos.y - static_cast<std::int32_t>(icon.yHotspot);
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(overBlack.size());
    for (std::size_t i = 0; i < overBlack.size(); ++i) {
        const std::uint32_t black = overBlack[i] & 0xffffff;
        const std::uint32_t white = overWhite[i] & 0xffffff;
        // The green channel is as good as any for the coverage; an
        // inverting pointer's pixels (white over black, black over white)
        // come out opaque in their colour over black.
        const int throughGreen = std::clamp<int>(
            static_cast<int>((white >> 8) & 0xff) - static_cast<int>((black >> 8) & 0xff), 0, 255);
        const std::uint32_t alpha = 255u - static_cast<std::uint32_t>(throughGreen);
        std::uint32_t colour = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            colour |= std::min((black >> shift) & 0xff, alpha) << shift;
        }
        picture.pixels[i] = (alpha << 24) | colour;
    }
    return picture;
}

}  // namespace platform::win32
