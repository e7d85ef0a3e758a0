#include "platform/controls/label.h"

#include <cmath>
#include <optional>

#include "platform/controls/win32/control_impl.h"

namespace controls {
namespace {

constexpr const wchar_t* kOutlineClass = L"TessarineDragOutline";
// The colour the outline window leaves see-through.
constexpr COLORREF kSeeThrough = RGB(255, 0, 255);

// The outline of a control that follows the pointer while it is dragged: a
// window of its own, see-through but for its edge, that takes no input.
class DragOutline {
  public:
    DragOutline(int width, int height) {
        static const bool registered = [] {
            WNDCLASSEXW type{};
            type.cbSize = sizeof(type);
            type.lpfnWndProc = Paint;
            type.hInstance = win32::Instance();
            type.lpszClassName = kOutlineClass;
            RegisterClassExW(&type);
            return true;
        }();
        (void)registered;
        window_ = CreateWindowExW(
            WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
            kOutlineClass, L"", WS_POPUP, 0, 0, width, height, nullptr, nullptr, win32::Instance(),
            nullptr);
        SetLayeredWindowAttributes(window_, kSeeThrough, 0, LWA_COLORKEY);
    }
    ~DragOutline() {
        RECT place;
        GetWindowRect(window_, &place);
        DestroyWindow(window_);
        // Not every window system repaints what a see-through window
        // covered when it goes (Wine without a compositor does not).
        RedrawWindow(GetDesktopWindow(), &place, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    DragOutline(const DragOutline&) = delete;
    DragOutline& operator=(const DragOutline&) = delete;

    void moveTo(POINT topLeft) {
        SetWindowPos(window_, HWND_TOPMOST, topLeft.x, topLeft.y, 0, 0,
                     SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        UpdateWindow(window_);
    }

  private:
    static LRESULT CALLBACK Paint(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_PAINT) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        HBRUSH hole = CreateSolidBrush(kSeeThrough);
        FillRect(dc, &area, hole);
        DeleteObject(hole);
        HBRUSH edge = CreateSolidBrush(RGB(0, 0, 0));
        FrameRect(dc, &area, edge);
        InflateRect(&area, -1, -1);
        FrameRect(dc, &area, edge);
        DeleteObject(edge);
        EndPaint(window, &paint);
        return 0;
    }

    HWND window_ = nullptr;
};

struct LabelImpl : Control::Impl {
    explicit LabelImpl(Label& label) : label(label) {}
    ~LabelImpl() override {
        if (font) {
            DeleteObject(font);
        }
    }

    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void dpiChanged() override { makeFont(); }
    void makeFont();
    void paint();
    bool takesMouse() const {
        return label.MouseDown || label.MouseMove || label.MouseUp || label.Click ||
               dragMode == DragMode::Automatic;
    }
    void drag(LPARAM at);
    void dropAt(POINT screen);

    Label& label;
    std::wstring caption;
    std::optional<Font> face;
    HFONT font = nullptr;
    COLORREF foreColor = GetSysColor(COLOR_WINDOWTEXT);
    Alignment alignment = Alignment::Left;
    VerticalAlignment vertical = VerticalAlignment::Top;
    bool wordWrap = false;
    // In the form's units.
    RECT margins{};
    DragMode dragMode = DragMode::Manual;
    bool pressed = false;
};

// The label under a point of the screen that takes drops: the top one.
LabelImpl* DropTargetAt(POINT screen) {
    HWND under = WindowFromPoint(screen);
    HWND root = under ? GetAncestor(under, GA_ROOT) : nullptr;
    if (!root) {
        return nullptr;
    }
    struct Search {
        POINT point;
        LabelImpl* found = nullptr;
    } search{screen, nullptr};
    EnumChildWindows(
        root,
        [](HWND child, LPARAM param) -> BOOL {
            auto* state = reinterpret_cast<Search*>(param);
            auto* label = dynamic_cast<LabelImpl*>(win32::ImplOf(child));
            RECT place;
            if (label && label->label.DragDrop && IsWindowVisible(child) &&
                GetWindowRect(child, &place) && PtInRect(&place, state->point)) {
                state->found = label;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool LabelImpl::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_PAINT:
            paint();
            result = 0;
            return true;
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_NCHITTEST:
            // A label without handlers lets the mouse through to what lies
            // beneath.
            if (!takesMouse()) {
                result = HTTRANSPARENT;
                return true;
            }
            return false;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            if (message == WM_LBUTTONDOWN && dragMode == DragMode::Automatic) {
                drag(lParam);
                return true;
            }
            SetCapture(hwnd);
            pressed = true;
            const int button = message == WM_LBUTTONDOWN   ? vbLeftButton
                               : message == WM_RBUTTONDOWN ? vbRightButton
                                                           : vbMiddleButton;
            if (label.MouseDown) {
                label.MouseDown(button, win32::ShiftCode(), win32::UnitsX(*this, lParam),
                                win32::UnitsY(*this, lParam));
            }
            return true;
        }
        case WM_MOUSEMOVE:
            if (label.MouseMove) {
                label.MouseMove(win32::ButtonCodes(wParam), win32::ShiftCode(),
                                win32::UnitsX(*this, lParam), win32::UnitsY(*this, lParam));
            }
            return true;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            if (win32::ButtonCodes(wParam) == 0 && GetCapture() == hwnd) {
                ReleaseCapture();
            }
            const int button = message == WM_LBUTTONUP   ? vbLeftButton
                               : message == WM_RBUTTONUP ? vbRightButton
                                                         : vbMiddleButton;
            if (label.MouseUp) {
                label.MouseUp(button, win32::ShiftCode(), win32::UnitsX(*this, lParam),
                              win32::UnitsY(*this, lParam));
            }
            RECT area;
            GetClientRect(hwnd, &area);
            const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            const bool click = pressed && PtInRect(&area, at);
            pressed = false;
            if (click && label.Click) {
                label.Click();
            }
            return true;
        }
        default:
            return false;
    }
}

void LabelImpl::paint() {
    PAINTSTRUCT paintInfo;
    HDC dc = BeginPaint(hwnd, &paintInfo);
    RECT area;
    GetClientRect(hwnd, &area);
    // Drawn see-through: the container's colour shows around the text.
    const Control::Impl* container = win32::ImplOf(GetParent(hwnd));
    HBRUSH background = container ? container->backBrush() : GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &area, background);
    RECT text{area.left + toPixels(margins.left), area.top + toPixels(margins.top),
              area.right - toPixels(margins.right), area.bottom - toPixels(margins.bottom)};
    HGDIOBJ oldFont = SelectObject(dc, font ? font : win32::DefaultFont(dpi()));
    SetTextColor(dc, foreColor);
    SetBkMode(dc, TRANSPARENT);
    // Line breaks in the caption break lines, wrapped or not.
    const bool oneLine = !wordWrap && caption.find(L'\n') == std::wstring::npos;
    UINT format = DT_NOPREFIX | (wordWrap ? DT_WORDBREAK : 0) | (oneLine ? DT_SINGLELINE : 0);
    format |= alignment == Alignment::Center  ? DT_CENTER
              : alignment == Alignment::Right ? DT_RIGHT
                                              : DT_LEFT;
    if (vertical == VerticalAlignment::Middle) {
        RECT needed = text;
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &needed,
                  format | DT_CALCRECT);
        const int spare = (text.bottom - text.top) - (needed.bottom - needed.top);
        if (spare > 0) {
            text.top += spare / 2;
        }
    }
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format);
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &paintInfo);
}

void LabelImpl::drag(LPARAM at) {
    const POINT hotSpot{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    RECT place;
    GetWindowRect(hwnd, &place);
    DragOutline outline(place.right - place.left, place.bottom - place.top);
    outline.moveTo({place.left, place.top});
    SetCapture(hwnd);
    // The drag has its own loop, as the system's own drag-and-drop does:
    // it ends with the button's release, Esc, or the loss of the mouse.
    bool dropped = false;
    POINT last{};
    MSG message;
    while (GetCapture() == hwnd) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) {
                PostQuitMessage(static_cast<int>(message.wParam));
            }
            break;
        }
        if (message.message == WM_MOUSEMOVE && message.hwnd == hwnd) {
            POINT screen{static_cast<short>(LOWORD(message.lParam)),
                         static_cast<short>(HIWORD(message.lParam))};
            ClientToScreen(hwnd, &screen);
            outline.moveTo({screen.x - hotSpot.x, screen.y - hotSpot.y});
            continue;
        }
        if (message.message == WM_LBUTTONUP && message.hwnd == hwnd) {
            last = {static_cast<short>(LOWORD(message.lParam)),
                    static_cast<short>(HIWORD(message.lParam))};
            ClientToScreen(hwnd, &last);
            dropped = true;
            break;
        }
        if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (GetCapture() == hwnd) {
        ReleaseCapture();
    }
    if (dropped) {
        // The handler runs once the drag has ended, so that a window it
        // opens gets the mouse and keyboard to itself.
        dropAt(last);
    }
}

void LabelImpl::dropAt(POINT screen) {
    LabelImpl* target = DropTargetAt(screen);
    if (!target || !target->hwnd) {
        return;
    }
    POINT at = screen;
    ScreenToClient(target->hwnd, &at);
    const std::string source = name;
    target->label.DragDrop(source, static_cast<float>(target->toUnits(at.x)),
                           static_cast<float>(target->toUnits(at.y)));
}

void LabelImpl::makeFont() {
    if (font) {
        DeleteObject(font);
        font = nullptr;
    }
    if (!face) {
        return;
    }
    // Points at 96 pixels per inch, as the form's units count them.
    const int pixels = toPixels(static_cast<int>(std::lround(face->points * 96.0 / 72.0)));
    font =
        CreateFontW(-pixels, 0, 0, 0, face->bold ? FW_BOLD : FW_NORMAL, face->italic, FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_SWISS, win32::Wide(face->family).c_str());
}

LabelImpl& ImplOfLabel(const Label& label) {
    return static_cast<LabelImpl&>(label.impl());
}

void Redraw(const LabelImpl& impl) {
    if (impl.hwnd) {
        InvalidateRect(impl.hwnd, nullptr, FALSE);
    }
}

}  // namespace

Label::Label(Control& container, std::string_view caption)
    : Control(std::make_unique<LabelImpl>(*this)) {
    LabelImpl& impl = ImplOfLabel(*this);
    impl.caption = win32::Wide(caption);
    win32::CreateControlWindow(impl, container, nullptr, L"", WS_VISIBLE);
}

std::string Label::Caption() const {
    return win32::Utf8(ImplOfLabel(*this).caption);
}

void Label::setCaption(std::string_view caption) {
    LabelImpl& impl = ImplOfLabel(*this);
    impl.caption = win32::Wide(caption);
    Redraw(impl);
}

void Label::setForeColor(std::uint32_t rgb) {
    LabelImpl& impl = ImplOfLabel(*this);
    impl.foreColor = win32::ToColorRef(rgb);
    Redraw(impl);
}

void Label::setFont(const Font& font) {
    LabelImpl& impl = ImplOfLabel(*this);
    impl.face = font;
    impl.makeFont();
    Redraw(impl);
}

void Label::setAlignment(Alignment alignment) {
    LabelImpl& impl = ImplOfLabel(*this);
    impl.alignment = alignment;
    Redraw(impl);
}

void Label::setVerticalAlignment(VerticalAlignment alignment) {
    LabelImpl& impl = ImplOfLabel(*this);
    impl.vertical = alignment;
    Redraw(impl);
}

void Label::setWordWrap(bool wrap) {
    LabelImpl& impl = ImplOfLabel(*this);
    impl.wordWrap = wrap;
    Redraw(impl);
}

void Label::BringToFront() {
    if (HWND window = impl().hwnd) {
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void Label::setTextMargins(int left, int top, int right, int bottom) {
    LabelImpl& impl = ImplOfLabel(*this);
    impl.margins = {left, top, right, bottom};
    Redraw(impl);
}

void Label::setDragMode(DragMode mode) {
    ImplOfLabel(*this).dragMode = mode;
}

}  // namespace controls
