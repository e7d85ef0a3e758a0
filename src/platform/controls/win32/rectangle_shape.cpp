#include "platform/controls/rectangle_shape.h"

#include <algorithm>
#include <cmath>

#include "base/rounding.h"
#include "platform/controls/win32/control_impl.h"

namespace controls {
namespace {

// The shape's window is its outline alone (a window region), drawn just
// inside the rectangle's edge; the mouse passes through it.
struct ShapeImpl : win32::PassThroughImpl {
    // Over a busy picture a solid line could vanish, so it is drawn as a
    // dark line with a light inner line when it is two pixels wide.
    void paint() override {
        PAINTSTRUCT paintInfo;
        HDC dc = BeginPaint(hwnd, &paintInfo);
        RECT area;
        GetClientRect(hwnd, &area);
        const int lightness = (GetRValue(borderColor) * 299 + GetGValue(borderColor) * 587 +
                               GetBValue(borderColor) * 114) /
                              1000;
        const COLORREF inner = lightness < 128 ? RGB(255, 255, 255) : RGB(0, 0, 0);
        for (int i = 0; i < borderWidth && 2 * i < std::min(area.right, area.bottom); ++i) {
            HBRUSH brush = CreateSolidBrush(i % 2 == 1 ? inner : borderColor);
            RECT line{i, i, area.right - i, area.bottom - i};
            FrameRect(dc, &line, brush);
            DeleteObject(brush);
        }
        EndPaint(hwnd, &paintInfo);
    }

    void place() {
        if (!hwnd) {
            return;
        }
        const int x = base::ToInt32OrZero(left);
        const int y = base::ToInt32OrZero(top);
        const int w = base::ToInt32OrZero(width);
        const int h = base::ToInt32OrZero(height);
        SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        HRGN outline = CreateRectRgn(0, 0, w, h);
        if (w > 2 * borderWidth && h > 2 * borderWidth) {
            HRGN inside = CreateRectRgn(borderWidth, borderWidth, w - borderWidth, h - borderWidth);
            CombineRgn(outline, outline, inside, RGN_DIFF);
            DeleteObject(inside);
        }
        // The window owns the region from here on.
        SetWindowRgn(hwnd, outline, TRUE);
        InvalidateRect(hwnd, nullptr, FALSE);
    }

    double left = 0, top = 0, width = 0, height = 0;
    int borderWidth = 2;
    COLORREF borderColor = GetSysColor(COLOR_WINDOWTEXT);
};

ShapeImpl& ShapeOf(const RectangleShape& shape) {
    return static_cast<ShapeImpl&>(shape.impl());
}

bool Usable(double value) {
    return value >= 0 && std::isfinite(value);
}

}  // namespace

RectangleShape::RectangleShape(Control& container) : Control(std::make_unique<ShapeImpl>()) {
    win32::CreateControlWindow(impl(), container, nullptr, L"", 0);
}

double RectangleShape::Left() const {
    return ShapeOf(*this).left;
}
double RectangleShape::Top() const {
    return ShapeOf(*this).top;
}
double RectangleShape::Width() const {
    return ShapeOf(*this).width;
}
double RectangleShape::Height() const {
    return ShapeOf(*this).height;
}

void RectangleShape::setLeft(double value) {
    ShapeOf(*this).left = value;
    ShapeOf(*this).place();
}

void RectangleShape::setTop(double value) {
    ShapeOf(*this).top = value;
    ShapeOf(*this).place();
}

bool RectangleShape::setWidth(double value) {
    if (!Usable(value)) {
        return false;
    }
    ShapeOf(*this).width = value;
    ShapeOf(*this).place();
    return true;
}

bool RectangleShape::setHeight(double value) {
    if (!Usable(value)) {
        return false;
    }
    ShapeOf(*this).height = value;
    ShapeOf(*this).place();
    return true;
}

void RectangleShape::setBorderWidth(int pixels) {
    ShapeOf(*this).borderWidth = std::max(0, pixels);
    ShapeOf(*this).place();
}

void RectangleShape::setBorderColor(std::uint32_t rgb) {
    ShapeOf(*this).borderColor = win32::ToColorRef(rgb);
    if (impl().hwnd) {
        InvalidateRect(impl().hwnd, nullptr, FALSE);
    }
}

void RectangleShape::setVisible(bool visible) {
    HWND window = impl().hwnd;
    if (!window) {
        return;
    }
    if (visible) {
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    } else {
        ShowWindow(window, SW_HIDE);
    }
}

}  // namespace controls
