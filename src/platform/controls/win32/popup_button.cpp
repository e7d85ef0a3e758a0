#include "platform/controls/popup_button.h"

#include "platform/controls/win32/control_impl.h"

namespace controls {
namespace {

// A flat button drawn by itself: raised under the pointer or while
// highlighted, sunk while pressed. It never takes the keyboard.
struct PopupImpl : Control::Impl {
    PopupImpl(PopupButton& button, std::string_view caption)
        : button(button), caption(win32::Wide(caption)) {}
    ~PopupImpl() override {
        if (font) {
            DeleteObject(font);
        }
    }

    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void dpiChanged() override {
        if (font) {
            DeleteObject(font);
            font = nullptr;
        }
    }
    void paint();
    bool inside(LPARAM lParam) const {
        RECT area;
        GetClientRect(hwnd, &area);
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        return PtInRect(&area, at) != FALSE;
    }
    void setState(bool newHot, bool newPressed) {
        if (newHot != hot || newPressed != pressed) {
            hot = newHot;
            pressed = newPressed;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
    }

    PopupButton& button;
    std::wstring caption;
    HFONT font = nullptr;
    bool hot = false;
    bool pressed = false;
    bool tracking = false;
    bool highlight = false;
};

bool PopupImpl::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_PAINT:
            paint();
            result = 0;
            return true;
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_MOUSEMOVE: {
            if (!tracking) {
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd, 0};
                tracking = TrackMouseEvent(&track) != FALSE;
            }
            const bool over = inside(lParam);
            setState(over, GetCapture() == hwnd && over && (wParam & MK_LBUTTON));
            return true;
        }
        case WM_MOUSELEAVE:
            tracking = false;
            setState(false, false);
            return true;
        case WM_LBUTTONDOWN:
            SetCapture(hwnd);
            setState(true, true);
            return true;
        case WM_LBUTTONUP: {
            const bool click = GetCapture() == hwnd && inside(lParam);
            if (GetCapture() == hwnd) {
                ReleaseCapture();
            }
            setState(inside(lParam), false);
            if (click) {
                highlight = false;
                InvalidateRect(hwnd, nullptr, FALSE);
                if (button.Click) {
                    button.Click(0);
                }
            }
            return true;
        }
        case WM_CAPTURECHANGED:
            setState(hot, false);
            return false;
        default:
            return false;
    }
}

void PopupImpl::paint() {
    PAINTSTRUCT paintInfo;
    HDC dc = BeginPaint(hwnd, &paintInfo);
    RECT area;
    GetClientRect(hwnd, &area);
    FillRect(dc, &area, backBrush());
    if (pressed) {
        DrawEdge(dc, &area, BDR_SUNKENOUTER, BF_RECT);
    } else if (hot || highlight) {
        DrawEdge(dc, &area, BDR_RAISEDINNER, BF_RECT);
    }
    if (!font) {
        // The classic toolbar face at 8.25 points.
        font = CreateFontW(-toPixels(11), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
    }
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    if (pressed) {
        OffsetRect(&area, 1, 1);
    }
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &area,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &paintInfo);
}

PopupImpl& ImplOfButton(const PopupButton& button) {
    return static_cast<PopupImpl&>(button.impl());
}

}  // namespace

PopupButton::PopupButton(Control& container, std::string_view caption)
    : Control(std::make_unique<PopupImpl>(*this, caption)) {
    win32::CreateControlWindow(impl(), container, nullptr, L"", WS_VISIBLE);
}

bool PopupButton::Highlight() const {
    return ImplOfButton(*this).highlight;
}

void PopupButton::setHighlight(bool on) {
    PopupImpl& button = ImplOfButton(*this);
    button.highlight = on;
    if (button.hwnd) {
        InvalidateRect(button.hwnd, nullptr, FALSE);
    }
}

}  // namespace controls
