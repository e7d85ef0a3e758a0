#include <algorithm>
#include <map>

#include "platform/controls/win32/form_impl.h"
#include "platform/files/utf16.h"

namespace controls {
namespace win32 {
namespace {

constexpr const wchar_t* kImplProperty = L"TessarineControlImpl";

// A notification a child sent its parent, passed to the child's own Impl.
bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND child = nullptr;
    switch (message) {
        case WM_COMMAND:
            child = reinterpret_cast<HWND>(lParam);
            break;
        case WM_DRAWITEM:
            child = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
            break;
        case WM_NOTIFY:
            child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            child = reinterpret_cast<HWND>(lParam);
            break;
        default:
            return false;
    }
    Control::Impl* impl = child ? ImplOf(child) : nullptr;
    return impl && impl->onNotify(message, wParam, lParam, result);
}

// What every window of ours does with a message before its own default.
bool Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    Control::Impl* impl = ImplOf(window);
    if (!impl) {
        return false;
    }
    if (ReflectToChild(message, wParam, lParam, result)) {
        return true;
    }
    if (impl->onMessage(message, wParam, lParam, result)) {
        return true;
    }
    switch (message) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            // Controls without a colour of their own show their container's.
            SetBkColor(reinterpret_cast<HDC>(wParam), impl->backColor());
            result = reinterpret_cast<LRESULT>(impl->backBrush());
            return true;
        case WM_NCDESTROY:
            RemovePropW(window, kImplProperty);
            impl->hwnd = nullptr;
            return false;
        default:
            return false;
    }
}

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* impl =
            static_cast<Control::Impl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        impl->hwnd = window;
        SetPropW(window, kImplProperty, impl);
    }
    LRESULT result = 0;
    if (Dispatch(window, message, wParam, lParam, result)) {
        return result;
    }
    if (message == WM_ERASEBKGND) {
        if (Control::Impl* impl = ImplOf(window)) {
            RECT area;
            GetClientRect(window, &area);
            FillRect(reinterpret_cast<HDC>(wParam), &area, impl->backBrush());
            return 1;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
    LRESULT result = 0;
    if (Dispatch(window, message, wParam, lParam, result)) {
        return result;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, SubclassProc, 1);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void RegisterClasses() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX common{};
        common.dwSize = sizeof(common);
        common.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES;
        InitCommonControlsEx(&common);
        WNDCLASSEXW controlClass{};
        controlClass.cbSize = sizeof(controlClass);
        controlClass.style = CS_DBLCLKS;
        controlClass.lpfnWndProc = ControlProc;
        controlClass.hInstance = Instance();
        controlClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        controlClass.lpszClassName = kControlClass;
        RegisterClassExW(&controlClass);
        WNDCLASSEXW formClass = controlClass;
        formClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        formClass.lpszClassName = kFormClass;
        RegisterClassExW(&formClass);
        return true;
    }();
    (void)done;
}

}  // namespace

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

std::wstring Wide(std::string_view text) {
    return platform::files::WideFromUtf8Replacing(text);
}

std::string Utf8(std::wstring_view text) {
    return platform::files::Utf8FromWide(text);
}

std::string WindowText(HWND window) {
    if (!window) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

Control::Impl* ImplOf(HWND window) {
    return window ? static_cast<Control::Impl*>(GetPropW(window, kImplProperty)) : nullptr;
}

HWND CreateControlWindow(Control::Impl& impl, const Control& container, const wchar_t* className,
                         std::wstring_view text, DWORD style, DWORD exStyle) {
    RegisterClasses();
    const Control::Impl& parent = container.impl();
    impl.form = parent.form;
    // Until told otherwise, a control shows its container's colour.
    impl.setBackColorRef(parent.backColor());
    const std::wstring caption(text);
    HWND window = CreateWindowExW(exStyle, className ? className : kControlClass, caption.c_str(),
                                  style | WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent.client,
                                  nullptr, Instance(), &impl);
    if (!window) {
        return nullptr;
    }
    if (className) {
        impl.hwnd = window;
        SetPropW(window, kImplProperty, &impl);
        SetWindowSubclass(window, SubclassProc, 1, 0);
    }
    impl.client = window;
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont(impl.dpi())), FALSE);
    if (impl.form) {
        impl.form->tabOrder.push_back(window);
    }
    return window;
}

HWND CreateFormWindow(Control::Impl& impl, DWORD style, DWORD exStyle) {
    RegisterClasses();
    return CreateWindowExW(exStyle, kFormClass, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, Instance(), &impl);
}

HFONT DefaultFont(int dpi) {
    // One font per resolution, kept while the program runs: forms on
    // monitors of different resolutions each use their own.
    static std::map<int, HFONT> fonts;
    if (const auto found = fonts.find(dpi); found != fonts.end()) {
        return found->second;
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    LOGFONTW face{};
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0,
                                   static_cast<UINT>(dpi))) {
        face = metrics.lfMessageFont;
    } else {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(face), &face);
        face.lfHeight = MulDiv(face.lfHeight, dpi, 96);
    }
    return fonts[dpi] = CreateFontIndirectW(&face);
}

int ButtonCodes(WPARAM keys) {
    int code = 0;
    if (keys & MK_LBUTTON) {
        code |= vbLeftButton;
    }
    if (keys & MK_RBUTTON) {
        code |= vbRightButton;
    }
    if (keys & MK_MBUTTON) {
        code |= vbMiddleButton;
    }
    return code;
}

int ShiftCode() {
    int code = 0;
    if (GetKeyState(VK_SHIFT) < 0) {
        code |= vbShiftMask;
    }
    if (GetKeyState(VK_CONTROL) < 0) {
        code |= vbCtrlMask;
    }
    if (GetKeyState(VK_MENU) < 0) {
        code |= vbAltMask;
    }
    return code;
}

float UnitsX(const Control::Impl& impl, LPARAM lParam) {
    return static_cast<float>(static_cast<short>(LOWORD(lParam))) * 96.0f /
           static_cast<float>(impl.dpi());
}

float UnitsY(const Control::Impl& impl, LPARAM lParam) {
    return static_cast<float>(static_cast<short>(HIWORD(lParam))) * 96.0f /
           static_cast<float>(impl.dpi());
}

}  // namespace win32

Control::Impl::~Impl() {
    if (brush_) {
        DeleteObject(brush_);
    }
}

bool Control::Impl::onMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

bool Control::Impl::onNotify(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

int Control::Impl::dpi() const {
    return form ? form->dpiValue : 96;
}

void Control::Impl::setBackColor(std::uint32_t rgb) {
    setBackColorRef(win32::ToColorRef(rgb));
}

void Control::Impl::setBackColorRef(COLORREF colour) {
    backColor_ = colour;
    if (brush_) {
        DeleteObject(brush_);
        brush_ = nullptr;
    }
    if (hwnd) {
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

HBRUSH Control::Impl::backBrush() const {
    if (!brush_) {
        brush_ = CreateSolidBrush(backColor_);
    }
    return brush_;
}

Control::Control(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Control::~Control() {
    // A container destroys its windows with its own; one still here goes now.
    if (impl_->hwnd && IsWindow(impl_->hwnd)) {
        if (impl_->form) {
            std::erase(impl_->form->tabOrder, impl_->hwnd);
        }
        DestroyWindow(impl_->hwnd);
    }
}

namespace {

// The control's place in its container's client area, in pixels.
RECT PlaceOf(const Control::Impl& impl) {
    RECT place{};
    if (!impl.hwnd) {
        return place;
    }
    GetWindowRect(impl.hwnd, &place);
    if (HWND parent = GetParent(impl.hwnd);
        parent && (GetWindowLongW(impl.hwnd, GWL_STYLE) & WS_CHILD)) {
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    }
    return place;
}

bool IsTopLevel(HWND window) {
    return window && !(GetWindowLongW(window, GWL_STYLE) & WS_CHILD);
}

}  // namespace

int Control::Left() const {
    return impl_->toUnits(PlaceOf(*impl_).left);
}
int Control::Top() const {
    return impl_->toUnits(PlaceOf(*impl_).top);
}
int Control::Width() const {
    RECT area{};
    if (IsTopLevel(impl_->hwnd)) {
        GetClientRect(impl_->hwnd, &area);
        return impl_->toUnits(area.right);
    }
    area = PlaceOf(*impl_);
    return impl_->toUnits(area.right - area.left);
}
int Control::Height() const {
    RECT area{};
    if (IsTopLevel(impl_->hwnd)) {
        GetClientRect(impl_->hwnd, &area);
        return impl_->toUnits(area.bottom);
    }
    area = PlaceOf(*impl_);
    return impl_->toUnits(area.bottom - area.top);
}

void Control::Move(int left, int top, int width, int height) {
    HWND window = impl_->hwnd;
    if (!window) {
        return;
    }
    RECT place{impl_->toPixels(left), impl_->toPixels(top), impl_->toPixels(left + width),
               impl_->toPixels(top + height)};
    if (IsTopLevel(window)) {
        if (auto* form = dynamic_cast<win32::FormImpl*>(impl_.get())) {
            form->placed = true;
        }
        // A window's place is its client area's, as forms are laid out.
        AdjustWindowRectEx(&place, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)),
                           GetMenu(window) != nullptr,
                           static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
    }
    SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Control::Visible() const {
    return impl_->hwnd && IsWindowVisible(impl_->hwnd);
}
void Control::setVisible(bool visible) {
    if (impl_->hwnd) {
        ShowWindow(impl_->hwnd, visible ? SW_SHOWNA : SW_HIDE);
    }
}
bool Control::Enabled() const {
    return impl_->hwnd && IsWindowEnabled(impl_->hwnd);
}
void Control::setEnabled(bool enabled) {
    if (impl_->hwnd) {
        EnableWindow(impl_->hwnd, enabled);
    }
}
void Control::SetFocus() {
    if (impl_->hwnd) {
        ::SetFocus(impl_->hwnd);
    }
}
void Control::setName(const char* name) {
    impl_->name = name ? name : "";
}

void SetTabOrder(Control& first, Control& second) {
    win32::FormImpl* form = first.impl().form;
    HWND one = first.impl().hwnd;
    HWND two = second.impl().hwnd;
    if (!form || form != second.impl().form || !one || !two || one == two) {
        return;
    }
    std::vector<HWND>& order = form->tabOrder;
    std::erase(order, two);
    const auto at = std::find(order.begin(), order.end(), one);
    order.insert(at == order.end() ? at : at + 1, two);
}

}  // namespace controls
