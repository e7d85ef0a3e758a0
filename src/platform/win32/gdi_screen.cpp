#include "platform/win32/gdi_screen.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace platform::win32 {
namespace {

class ScreenDc {
  public:
    ScreenDc() : dc_(::GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_ != nullptr) {
            ::ReleaseDC(nullptr, dc_);
        }
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ::HDC get() const { return dc_; }

  private:
    ::HDC dc_;
};

class Source : public raster::ScreenSource {
  public:
    raster::Size size() override {
        return {::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    }

    bool read(int x, int y, int width, int height, std::uint32_t* dest, int destStride) override {
        if (width <= 0 || height <= 0) {
            return true;
        }
        ScreenDc screen;
        if (screen.get() == nullptr) {
            return false;
        }
        const ::HDC memory = ::CreateCompatibleDC(screen.get());
        const ::HBITMAP bitmap = ::CreateCompatibleBitmap(screen.get(), width, height);
        bool ok = memory != nullptr && bitmap != nullptr;
        if (ok) {
            const ::HGDIOBJ previous = ::SelectObject(memory, bitmap);
            const ScreenOrigin origin = VirtualScreenOrigin();
            // CAPTUREBLT: windows drawn see-through (tool tips, fading
            // menus) come as the user sees them.
            ok = ::BitBlt(memory, 0, 0, width, height, screen.get(), origin.x + x, origin.y + y,
                          SRCCOPY | CAPTUREBLT) != FALSE;
            ::SelectObject(memory, previous);
        }
        if (ok) {
            ok = copyOut(screen.get(), bitmap, width, height, dest, destStride);
        }
        if (bitmap != nullptr) {
            ::DeleteObject(bitmap);
        }
        if (memory != nullptr) {
            ::DeleteDC(memory);
        }
        return ok;
    }

  private:
    // 32-bit rows top down are 0x??RRGGBB little-endian: straight into
    // `dest` when its rows follow each other, through a buffer otherwise.
    static bool copyOut(::HDC screen, ::HBITMAP bitmap, int width, int height, std::uint32_t* dest,
                        int destStride) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        const bool direct = destStride == width;
        std::vector<std::uint32_t> buffer;
        std::uint32_t* rows = dest;
        if (!direct) {
            buffer.resize(static_cast<std::size_t>(width) * height);
            rows = buffer.data();
        }
        if (::GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), rows, &info,
                        DIB_RGB_COLORS) != height) {
            return false;
        }
        for (int row = 0; row < height; ++row) {
            std::uint32_t* out = dest + static_cast<std::ptrdiff_t>(row) * destStride;
            const std::uint32_t* in = rows + static_cast<std::ptrdiff_t>(row) * width;
            for (int column = 0; column < width; ++column) {
                out[column] = in[column] & 0x00ffffffu;
            }
        }
        return true;
    }
};

}  // namespace

ScreenOrigin VirtualScreenOrigin() {
    return {::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN)};
}

std::shared_ptr<raster::ScreenSource> GdiScreenSource() {
    return std::make_shared<Source>();
}

}  // namespace platform::win32
