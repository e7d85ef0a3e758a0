#include "platform/controls/image_box.h"

#include <cstdlib>
#include <cstring>

#include "platform/controls/win32/control_impl.h"

namespace controls {
namespace {

// A bitmap file stored among the program's resources (RCDATA), named by its
// path with '/' and '.' as '_': "pictures/camel.bmp" is PICTURES_CAMEL_BMP.
struct StoredPicture {
    const BITMAPINFO* info = nullptr;
    const void* bits = nullptr;
    int width = 0;
    int height = 0;
};

StoredPicture FindPicture(std::string_view name) {
    std::wstring resource = win32::Wide(name);
    for (wchar_t& c : resource) {
        c = (c == L'/' || c == L'.') ? L'_' : static_cast<wchar_t>(towupper(c));
    }
    HRSRC found = FindResourceW(nullptr, resource.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
    const DWORD size = found ? SizeofResource(nullptr, found) : 0;
    if (!bytes || size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) || bytes[0] != 'B' ||
        bytes[1] != 'M') {
        return {};
    }
    BITMAPFILEHEADER file;
    std::memcpy(&file, bytes, sizeof(file));
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes + sizeof(BITMAPFILEHEADER));
    if (file.bfOffBits >= size || info->bmiHeader.biWidth <= 0 || info->bmiHeader.biHeight == 0) {
        return {};
    }
    return {info, bytes + file.bfOffBits, static_cast<int>(info->bmiHeader.biWidth),
            std::abs(static_cast<int>(info->bmiHeader.biHeight))};
}

struct ImageBoxImpl : Control::Impl {
    bool onMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
        if (message != WM_PAINT) {
            return false;
        }
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        RECT area;
        GetClientRect(hwnd, &area);
        FillRect(dc, &area, backBrush());
        if (picture.bits) {
            // At its own size in the form's units, from the top left corner.
            SetStretchBltMode(dc, COLORONCOLOR);
            StretchDIBits(dc, 0, 0, toPixels(picture.width), toPixels(picture.height), 0, 0,
                          picture.width, picture.height, picture.bits, picture.info, DIB_RGB_COLORS,
                          SRCCOPY);
        }
        EndPaint(hwnd, &paint);
        result = 0;
        return true;
    }

    StoredPicture picture;
};

ImageBoxImpl& ImplOfBox(const ImageBox& box) {
    return static_cast<ImageBoxImpl&>(box.impl());
}

}  // namespace

ImageBox::ImageBox(Control& container) : Control(std::make_unique<ImageBoxImpl>()) {
    win32::CreateControlWindow(impl(), container, nullptr, L"", WS_VISIBLE | WS_CLIPCHILDREN);
}

void ImageBox::setBackColor(std::uint32_t rgb) {
    impl().setBackColor(rgb);
}

bool ImageBox::setPicture(std::string_view name) {
    ImageBoxImpl& box = ImplOfBox(*this);
    box.picture = FindPicture(name);
    if (box.hwnd) {
        InvalidateRect(box.hwnd, nullptr, TRUE);
    }
    return box.picture.bits != nullptr;
}

int ImageBox::PictureWidth() const {
    return ImplOfBox(*this).picture.width;
}

int ImageBox::PictureHeight() const {
    return ImplOfBox(*this).picture.height;
}

}  // namespace controls
