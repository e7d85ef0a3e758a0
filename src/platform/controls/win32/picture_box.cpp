#include "platform/controls/picture_box.h"

#include <algorithm>
#include <cstring>

#include "platform/controls/win32/control_impl.h"
#include "platform/raster/raster.h"

namespace controls {
namespace {

using MouseHandler = std::function<void(int, int, float, float)>;

// The box's window is in the screen's own pixels: its image is its client
// area, pixel for pixel.
struct PictureBoxImpl : Control::Impl {
    explicit PictureBoxImpl(PictureBox& box) : box(box) {
        const raster::HDC display = raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        dc = raster::CreateCompatibleDC(display);
        raster::DeleteDC(display);
        resizeImage(1, 1);
    }
    ~PictureBoxImpl() override {
        raster::DeleteDC(dc);
        raster::DeleteObject(bitmap);
    }

    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void paint();
    void resizeImage(int width, int height);
    void mouse(const MouseHandler& handler, int button, LPARAM lParam) {
        if (handler) {
            handler(button, win32::ShiftCode(),
                    static_cast<float>(static_cast<short>(LOWORD(lParam))),
                    static_cast<float>(static_cast<short>(HIWORD(lParam))));
        }
    }

    PictureBox& box;
    raster::HDC dc = 0;
    raster::HBITMAP bitmap = 0;
    raster::HDC shown = 0;
    POINT shownOrigin{};
    std::uint32_t backRgb = PictureBox::kScrollBarColour;
    bool crosshair = false;
};

void PictureBoxImpl::resizeImage(int width, int height) {
    if (shown) {
        return;
    }
    width = std::max(1, width);
    height = std::max(1, height);
    const auto current = raster::BitmapPixels(bitmap);
    if (current && current->width == width && current->height == height) {
        return;
    }
    // The new image keeps what the old one held where they overlap.
    const raster::HBITMAP image = raster::CreateCompatibleBitmap(dc, width, height);
    const auto fresh = raster::BitmapPixels(image);
    if (!fresh) {
        raster::DeleteObject(image);
        return;
    }
    std::fill(fresh->pixels, fresh->pixels + static_cast<std::ptrdiff_t>(width) * height, backRgb);
    if (current) {
        const int columns = std::min(width, current->width);
        for (int y = 0; y < std::min(height, current->height); ++y) {
            std::memcpy(fresh->row(y), current->row(y), sizeof(std::uint32_t) * columns);
        }
    }
    raster::SelectObject(dc, image);
    raster::DeleteObject(bitmap);
    bitmap = image;
}

void PictureBoxImpl::paint() {
    PAINTSTRUCT paintInfo;
    HDC target = BeginPaint(hwnd, &paintInfo);
    const auto view = raster::ContextPixels(shown ? shown : dc);
    const RECT& exposed = paintInfo.rcPaint;
    HBRUSH background = CreateSolidBrush(win32::ToColorRef(backRgb));
    const POINT origin = shown ? shownOrigin : POINT{};
    // The part of the exposed area that the image covers, in its pixels.
    RECT covered{};
    if (view) {
        const RECT image{-origin.x, -origin.y, view->width - origin.x, view->height - origin.y};
        IntersectRect(&covered, &exposed, &image);
    }
    if (IsRectEmpty(&covered)) {
        FillRect(target, &exposed, background);
    } else {
        // Around the image, then the image's rows straight from its pixels.
        ExcludeClipRect(target, covered.left, covered.top, covered.right, covered.bottom);
        FillRect(target, &exposed, background);
        SelectClipRgn(target, nullptr);
        const int rows = covered.bottom - covered.top;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = view->width;
        info.bmiHeader.biHeight = -rows;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        StretchDIBits(target, covered.left, covered.top, covered.right - covered.left, rows,
                      covered.left + origin.x, 0, covered.right - covered.left, rows,
                      view->row(covered.top + origin.y), &info, DIB_RGB_COLORS, SRCCOPY);
    }
    DeleteObject(background);
    EndPaint(hwnd, &paintInfo);
}

bool PictureBoxImpl::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_PAINT:
            paint();
            result = 0;
            return true;
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_SIZE:
            resizeImage(LOWORD(lParam), HIWORD(lParam));
            return false;
        case WM_SETCURSOR:
            if (crosshair && LOWORD(lParam) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, IDC_CROSS));
                result = TRUE;
                return true;
            }
            return false;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (tabStop) {
                SetFocus(hwnd);
            }
            SetCapture(hwnd);
            mouse(box.MouseDown,
                  message == WM_LBUTTONDOWN   ? vbLeftButton
                  : message == WM_RBUTTONDOWN ? vbRightButton
                                              : vbMiddleButton,
                  lParam);
            return true;
        case WM_MOUSEMOVE:
            mouse(box.MouseMove, win32::ButtonCodes(wParam), lParam);
            return true;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (win32::ButtonCodes(wParam) == 0 && GetCapture() == hwnd) {
                ReleaseCapture();
            }
            mouse(box.MouseUp,
                  message == WM_LBUTTONUP   ? vbLeftButton
                  : message == WM_RBUTTONUP ? vbRightButton
                                            : vbMiddleButton,
                  lParam);
            return true;
        default:
            return false;
    }
}

PictureBoxImpl& ImplOfBox(const PictureBox& box) {
    return static_cast<PictureBoxImpl&>(box.impl());
}

void Redraw(const PictureBoxImpl& box) {
    if (box.hwnd) {
        InvalidateRect(box.hwnd, nullptr, FALSE);
    }
}

}  // namespace

PictureBox::PictureBox(Control& container) : Control(std::make_unique<PictureBoxImpl>(*this)) {
    win32::CreateControlWindow(impl(), container, nullptr, L"", WS_VISIBLE | WS_CLIPCHILDREN);
}

PictureBox::~PictureBox() = default;

raster::HDC PictureBox::hDC() const {
    return ImplOfBox(*this).dc;
}

int PictureBox::ScaleWidth() const {
    RECT area{};
    if (impl().hwnd) {
        GetClientRect(impl().hwnd, &area);
    }
    return area.right;
}

int PictureBox::ScaleHeight() const {
    RECT area{};
    if (impl().hwnd) {
        GetClientRect(impl().hwnd, &area);
    }
    return area.bottom;
}

void PictureBox::resizeToPixels(int width, int height) {
    if (impl().hwnd) {
        SetWindowPos(impl().hwnd, nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ImplOfBox(*this).resizeImage(width, height);
}

void PictureBox::ShowContext(raster::HDC source, int originX, int originY) {
    PictureBoxImpl& box = ImplOfBox(*this);
    box.shown = source;
    box.shownOrigin = {originX, originY};
    // The box's own image is no longer needed: with a context that holds no
    // bitmap, drawing into hDC() draws nothing.
    const raster::HDC empty = raster::CreateCompatibleDC(box.dc);
    raster::DeleteDC(box.dc);
    raster::DeleteObject(box.bitmap);
    box.dc = empty;
    box.bitmap = 0;
    Redraw(box);
}

void PictureBox::Cls() {
    PictureBoxImpl& box = ImplOfBox(*this);
    raster::FillContext(box.dc, box.backRgb);
    Redraw(box);
}

void PictureBox::Refresh() {
    if (impl().hwnd) {
        RedrawWindow(impl().hwnd, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

void PictureBox::setBackColor(std::uint32_t rgb) {
    ImplOfBox(*this).backRgb = rgb & 0xFFFFFF;
    impl().setBackColor(rgb);
    Cls();
}

std::uint32_t PictureBox::backColor() const {
    return ImplOfBox(*this).backRgb;
}

void PictureBox::setTabStop(bool on) {
    impl().tabStop = on;
}

void PictureBox::setMousePointer(MousePointer pointer) {
    ImplOfBox(*this).crosshair = pointer == MousePointer::Crosshair;
}

}  // namespace controls
