#include "platform/controls/pointer_label.h"

#include <algorithm>

#include "platform/controls/win32/control_impl.h"

namespace controls {
namespace {

// White text on a dark box; the mouse passes through it. Windows draws no
// translucent child window on every version, so the box is solid.
struct PointerLabelImpl : win32::PassThroughImpl {
    ~PointerLabelImpl() override {
        if (font) {
            DeleteObject(font);
        }
    }

    void paint() override {
        PAINTSTRUCT paintInfo;
        HDC dc = BeginPaint(hwnd, &paintInfo);
        RECT area;
        GetClientRect(hwnd, &area);
        HBRUSH box = CreateSolidBrush(RGB(40, 40, 40));
        FillRect(dc, &area, box);
        DeleteObject(box);
        HGDIOBJ before = SelectObject(dc, currentFont());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, before);
        EndPaint(hwnd, &paintInfo);
    }

    HFONT currentFont() { return font ? font : DefaultFontHere(); }

    HFONT DefaultFontHere() { return win32::DefaultFont(dpi()); }

    // The text's size with the box's margins (2 by 4 units).
    SIZE boxSize() {
        HDC dc = GetDC(hwnd);
        HGDIOBJ before = SelectObject(dc, currentFont());
        RECT measured{0, 0, 0, 0};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured,
                  DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, before);
        ReleaseDC(hwnd, dc);
        return {measured.right + 2 * toPixels(4), measured.bottom + 2 * toPixels(2)};
    }

    std::wstring text;
    HFONT font = nullptr;
};

}  // namespace

PointerLabel::PointerLabel(Control& container) : Control(std::make_unique<PointerLabelImpl>()) {
    win32::CreateControlWindow(impl(), container, nullptr, L"", 0);
}

void PointerLabel::ShowBesidePointer(std::string_view text) {
    auto& label = static_cast<PointerLabelImpl&>(impl());
    HWND container = label.hwnd ? GetParent(label.hwnd) : nullptr;
    if (!container) {
        return;
    }
    label.text = win32::Wide(text);
    const SIZE size = label.boxSize();
    RECT area;
    GetClientRect(container, &area);
    POINT pointer{};
    GetCursorPos(&pointer);
    ScreenToClient(container, &pointer);
    const int gap = label.toPixels(16);
    int left = pointer.x + gap;
    int top = pointer.y + gap;
    if (left + size.cx > area.right) {
        left = pointer.x - gap - size.cx;
    }
    if (top + size.cy > area.bottom) {
        top = pointer.y - gap - size.cy;
    }
    SetWindowPos(label.hwnd, HWND_TOP, std::max(left, 0), std::max(top, 0), size.cx, size.cy,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(label.hwnd, nullptr, FALSE);
}

}  // namespace controls
