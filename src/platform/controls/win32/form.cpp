#include "platform/controls/form.h"

#include <algorithm>

#include "platform/controls/win32/form_impl.h"

namespace controls {
namespace win32 {
namespace {

DWORD StyleBits(Form::Style style) {
    switch (style) {
        case Form::Style::Sizable:
            return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
        case Form::Style::FixedDialog:
            return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
        case Form::Style::Borderless:
        case Form::Style::Overlay:
        case Form::Style::CoverScreen:
            break;
    }
    return WS_POPUP | WS_CLIPCHILDREN;
}

DWORD ExStyleBits(Form::Style style) {
    switch (style) {
        case Form::Style::FixedDialog:
            return WS_EX_DLGMODALFRAME;
        case Form::Style::Overlay:
            // Never activated: the keyboard stays where it is.
            return WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
        case Form::Style::CoverScreen:
            return WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
        case Form::Style::Sizable:
        case Form::Style::Borderless:
            break;
    }
    return 0;
}

// Whether the form has no frame, so that filling the screen means covering
// the monitor rather than the desktop's maximised state.
bool Frameless(Form::Style style) {
    return style == Form::Style::Borderless || style == Form::Style::Overlay ||
           style == Form::Style::CoverScreen;
}

int WindowDpi(HWND window) {
    const UINT dpi = window ? GetDpiForWindow(window) : 0;
    return dpi ? static_cast<int>(dpi) : 96;
}

std::unique_ptr<Control::Impl> NewWindow(Form& form, Form::Style style) {
    auto impl = std::make_unique<FormImpl>(form, style);
    impl->form = impl.get();
    HWND window = CreateFormWindow(*impl, StyleBits(style), ExStyleBits(style));
    impl->client = window;
    impl->dpiValue = WindowDpi(window);
    return impl;
}

FormImpl& FormImplOf(const Form& form) {
    return static_cast<FormImpl&>(form.impl());
}

// A hidden window that owns the forms kept out of the task bar: an owned
// window has no button there.
HWND HiddenOwner() {
    static HWND owner = [] {
        WNDCLASSEXW type{};
        type.cbSize = sizeof(type);
        type.lpfnWndProc = DefWindowProcW;
        type.hInstance = Instance();
        type.lpszClassName = L"TessarineOwner";
        RegisterClassExW(&type);
        return CreateWindowExW(0, type.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               Instance(), nullptr);
    }();
    return owner;
}

// The program's icon: the first icon group among its resources.
HICON ProgramIcon(int size) {
    const wchar_t* found = nullptr;
    EnumResourceNamesW(
        Instance(), RT_GROUP_ICON,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
            *reinterpret_cast<const wchar_t**>(param) = name;
            return FALSE;
        },
        reinterpret_cast<LONG_PTR>(&found));
    if (!found) {
        return nullptr;
    }
    return static_cast<HICON>(LoadImageW(Instance(), found, IMAGE_ICON, size, size, LR_SHARED));
}

void CentreOnMonitor(HWND window) {
    POINT pointer{};
    GetCursorPos(&pointer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        return;
    }
    RECT place;
    GetWindowRect(window, &place);
    const RECT& desk = monitor.rcWork;
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    const int left = std::max(desk.left, desk.left + (desk.right - desk.left - width) / 2);
    const int top = std::max(desk.top, desk.top + (desk.bottom - desk.top - height) / 2);
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreOnOwner(HWND window, HWND owner) {
    RECT place;
    RECT over;
    GetWindowRect(window, &place);
    GetWindowRect(owner, &over);
    const int left = over.left + ((over.right - over.left) - (place.right - place.left)) / 2;
    const int top = over.top + ((over.bottom - over.top) - (place.bottom - place.top)) / 2;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CoverMonitor(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        const RECT& all = monitor.rcMonitor;
        SetWindowPos(window, HWND_TOP, all.left, all.top, all.right - all.left,
                     all.bottom - all.top, SWP_NOACTIVATE);
    }
}

// A control and those on it, moved to the form's new resolution.
void Rescale(HWND control, int before, int after) {
    Control::Impl* impl = ImplOf(control);
    if (impl && impl->inDevicePixels) {
        return;
    }
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    const auto scaled = [before, after](LONG pixels) { return MulDiv(pixels, after, before); };
    SetWindowPos(control, nullptr, scaled(place.left), scaled(place.top),
                 scaled(place.right - place.left), scaled(place.bottom - place.top),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont(after)), TRUE);
    if (impl) {
        impl->dpiChanged();
    }
    for (HWND child = GetWindow(control, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        Rescale(child, before, after);
    }
}

}  // namespace

bool FormImpl::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_CLOSE:
            if (attached && control.QueryUnload && !control.QueryUnload()) {
                return true;
            }
            // Closing hides; the form decides when its window goes.
            hide();
            return true;
        case WM_COMMAND:
            if (lParam == 0) {
                menuCommand(LOWORD(wParam));
                return true;
            }
            return false;
        case WM_SIZE: {
            const bool nowMinimized = wParam == SIZE_MINIMIZED;
            if (nowMinimized != minimized) {
                minimized = nowMinimized;
                if (attached && control.WindowStateChanged) {
                    control.WindowStateChanged();
                }
            }
            if (!nowMinimized && attached && control.Resize) {
                control.Resize();
            }
            return false;
        }
        case WM_ACTIVATE:
            // The control that had the keyboard gets it back.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                lastFocus_ = focus && IsChild(hwnd, focus) ? focus : nullptr;
            } else if (lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd, lastFocus_)) {
                SetFocus(lastFocus_);
                result = 0;
                return true;
            }
            return false;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            if (minimumTrack.cx > 0 || minimumTrack.cy > 0) {
                info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, minimumTrack.cx);
                info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, minimumTrack.cy);
            }
            if (maximumTrack.cx > 0) {
                info->ptMaxTrackSize.x = maximumTrack.cx;
            }
            if (maximumTrack.cy > 0) {
                info->ptMaxTrackSize.y = maximumTrack.cy;
            }
            return true;
        }
        case WM_DPICHANGED: {
            const int before = dpiValue;
            dpiValue = HIWORD(wParam);
            // The controls keep their places and fonts in the form's units.
            for (HWND child = GetWindow(hwnd, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                Rescale(child, before, dpiValue);
            }
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return true;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_MOUSEMOVE:
            mouse(message, wParam, lParam);
            return false;
        default:
            return false;
    }
}

void FormImpl::mouse(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!attached) {
        return;
    }
    const float x = UnitsX(*this, lParam);
    const float y = UnitsY(*this, lParam);
    const int shift = ShiftCode();
    int button = 0;
    switch (message) {
        case WM_MOUSEMOVE:
            if (control.MouseMove) {
                control.MouseMove(ButtonCodes(wParam), shift, x, y);
            }
            return;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            button = vbLeftButton;
            break;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            button = vbRightButton;
            break;
        default:
            button = vbMiddleButton;
            break;
    }
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) {
        SetCapture(hwnd);
        pressed = true;
        if (control.MouseDown) {
            control.MouseDown(button, shift, x, y);
        }
        return;
    }
    if (ButtonCodes(wParam) == 0 && GetCapture() == hwnd) {
        ReleaseCapture();
    }
    if (control.MouseUp) {
        control.MouseUp(button, shift, x, y);
    }
    RECT area;
    GetClientRect(hwnd, &area);
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const bool click = pressed && PtInRect(&area, at);
    pressed = false;
    if (click && control.Click) {
        control.Click();
    }
}

void FormImpl::hide() {
    for (HWND other : disabledByModal) {
        if (IsWindow(other)) {
            EnableWindow(other, TRUE);
        }
    }
    disabledByModal.clear();
    ShowWindow(hwnd, SW_HIDE);
}

bool FormImpl::preTranslate(MSG& message) {
    if (accelerators_ && TranslateAcceleratorW(hwnd, accelerators_, &message)) {
        return true;
    }
    if (message.message != WM_KEYDOWN) {
        return false;
    }
    const bool plain = GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
    switch (message.wParam) {
        case VK_TAB:
            if (!plain) {
                return false;
            }
            moveFocus(GetKeyState(VK_SHIFT) >= 0);
            return true;
        case VK_RETURN: {
            HWND focus = GetFocus();
            wchar_t type[16] = {};
            if (focus && IsChild(hwnd, focus) && GetClassNameW(focus, type, 16) &&
                lstrcmpiW(type, L"Button") == 0 &&
                (GetWindowLongW(focus, GWL_STYLE) & BS_TYPEMASK) <= BS_DEFPUSHBUTTON) {
                Press(focus);
                return true;
            }
            if (defaultButton && IsWindowEnabled(defaultButton) && IsWindowVisible(defaultButton)) {
                Press(defaultButton);
                return true;
            }
            return false;
        }
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: {
            // The arrows choose the next option button of the group.
            HWND focus = GetFocus();
            const Control::Impl* focused = ImplOf(focus);
            if (!plain || !focused || !focused->optionButton) {
                return false;
            }
            const std::vector<HWND> group = optionGroup(focus);
            const auto at = std::find(group.begin(), group.end(), focus);
            if (group.size() < 2 || at == group.end()) {
                return true;
            }
            const std::size_t index = static_cast<std::size_t>(at - group.begin());
            const bool forward = message.wParam == VK_RIGHT || message.wParam == VK_DOWN;
            HWND next = group[(index + (forward ? 1 : group.size() - 1)) % group.size()];
            SetFocus(next);
            Press(next);
            return true;
        }
        case VK_ESCAPE:
            if (plain && GetKeyState(VK_SHIFT) >= 0 && cancelButton &&
                IsWindowEnabled(cancelButton)) {
                Press(cancelButton);
                return true;
            }
            break;
        default:
            break;
    }
    int code = 0;
    if (message.wParam == VK_ESCAPE) {
        code = vbKeyEscape;
    } else if ((message.wParam >= 'A' && message.wParam <= 'Z') ||
               (message.wParam >= '0' && message.wParam <= '9')) {
        code = static_cast<int>(message.wParam);
    }
    if (code != 0 && attached && control.KeyDown) {
        control.KeyDown(code, ShiftCode());
        return true;
    }
    return false;
}

void FormImpl::moveFocus(bool forward) {
    std::vector<HWND> stops;
    for (HWND control : tabOrder) {
        const Control::Impl* impl = ImplOf(control);
        if (!impl || !impl->tabStop || !IsWindowVisible(control) || !IsWindowEnabled(control)) {
            continue;
        }
        // Of a group of option buttons, Tab stops at the chosen one (at the
        // first while none is).
        if (impl->optionButton) {
            const std::vector<HWND> group = optionGroup(control);
            const auto chosen = std::find_if(group.begin(), group.end(), [](HWND button) {
                return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
            });
            if (control != (chosen != group.end() ? *chosen : group.front())) {
                continue;
            }
        }
        stops.push_back(control);
    }
    if (stops.empty()) {
        return;
    }
    HWND focus = GetFocus();
    auto at = std::find(stops.begin(), stops.end(), focus);
    std::size_t next = 0;
    if (at != stops.end()) {
        const std::size_t index = static_cast<std::size_t>(at - stops.begin());
        next = forward ? (index + 1) % stops.size() : (index + stops.size() - 1) % stops.size();
    } else if (!forward) {
        next = stops.size() - 1;
    }
    SetFocus(stops[next]);
    // Keyboard use shows where the focus is.
    SendMessageW(hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

void Press(HWND button) {
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

std::vector<HWND> FormImpl::optionGroup(HWND button) const {
    std::vector<HWND> group;
    for (HWND control : tabOrder) {
        const Control::Impl* impl = ImplOf(control);
        if (impl && impl->optionButton && GetParent(control) == GetParent(button) &&
            IsWindowVisible(control) && IsWindowEnabled(control)) {
            group.push_back(control);
        }
    }
    return group;
}

FormImpl* FormOf(HWND window) {
    HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    auto* impl = dynamic_cast<FormImpl*>(ImplOf(root));
    return impl;
}

void DispatchMessageForForms(MSG& message) {
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) {
        if (FormImpl* form = FormOf(message.hwnd); form && form->preTranslate(message)) {
            return;
        }
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

}  // namespace win32

using win32::FormImplOf;

Form::Form(Style style, const char* name) : Control(win32::NewWindow(*this, style)) {
    setName(name);
    FormImplOf(*this).attached = true;
}

Form::~Form() {
    // The handlers go with the form; the window's last messages are its own.
    FormImplOf(*this).attached = false;
}

std::string Form::Caption() const {
    return win32::WindowText(impl().hwnd);
}

void Form::setCaption(std::string_view caption) {
    if (impl().hwnd) {
        SetWindowTextW(impl().hwnd, win32::Wide(caption).c_str());
    }
}

void Form::ShowProgramIcon() {
    HWND window = impl().hwnd;
    if (!window) {
        return;
    }
    const int dpi = impl().dpi();
    if (HICON big = win32::ProgramIcon(GetSystemMetricsForDpi(SM_CXICON, static_cast<UINT>(dpi)))) {
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    }
    if (HICON small =
            win32::ProgramIcon(GetSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(dpi)))) {
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
}

int Form::ScaleWidth() const {
    RECT area{};
    if (impl().hwnd) {
        GetClientRect(impl().hwnd, &area);
    }
    return impl().toUnits(area.right);
}

int Form::ScaleHeight() const {
    RECT area{};
    if (impl().hwnd) {
        GetClientRect(impl().hwnd, &area);
    }
    return impl().toUnits(area.bottom);
}

void Form::setClientSize(int width, int height) {
    HWND window = impl().hwnd;
    if (!window) {
        return;
    }
    const int pixelsWide = impl().toPixels(width);
    const int pixelsHigh = impl().toPixels(height);
    RECT outer{0, 0, pixelsWide, pixelsHigh};
    AdjustWindowRectExForDpi(
        &outer, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), GetMenu(window) != nullptr,
        static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)), static_cast<UINT>(impl().dpi()));
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar too long for the window takes two lines: the window makes
    // up what the client area missed.
    RECT client{};
    GetClientRect(window, &client);
    const int missingWide = pixelsWide - client.right;
    const int missingHigh = pixelsHigh - client.bottom;
    if (missingWide != 0 || missingHigh != 0) {
        SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + missingWide,
                     outer.bottom - outer.top + missingHigh,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Form::Show() {
    win32::FormImpl& form = FormImplOf(*this);
    if (!form.hwnd) {
        return;
    }
    if (!form.shownBefore) {
        form.shownBefore = true;
        HWND owner = GetWindow(form.hwnd, GW_OWNER);
        if (form.centreOnFirstShow && !form.placed) {
            win32::CentreOnMonitor(form.hwnd);
        } else if (!form.placed && owner && IsWindowVisible(owner)) {
            // An owned window comes up over the middle of its owner.
            win32::CentreOnOwner(form.hwnd, owner);
        }
        if (form.maximizeOnFirstShow) {
            if (win32::Frameless(form.style)) {
                win32::CoverMonitor(form.hwnd);
            } else {
                ShowWindow(form.hwnd, SW_SHOWMAXIMIZED);
                return;
            }
        }
    }
    ShowWindow(form.hwnd, form.style == Style::Overlay ? SW_SHOWNOACTIVATE : SW_SHOW);
}

void Form::Hide() {
    if (impl().hwnd) {
        FormImplOf(*this).hide();
    }
}

void Form::ShowModal() {
    HWND window = impl().hwnd;
    if (!window) {
        return;
    }
    // The program's other windows take no input while the form shows.
    struct Disabling {
        HWND modal;
        std::vector<HWND> windows;
    } disabling{window, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND other, LPARAM param) -> BOOL {
            auto* state = reinterpret_cast<Disabling*>(param);
            if (other != state->modal && IsWindowVisible(other) && IsWindowEnabled(other) &&
                GetWindow(other, GW_OWNER) != state->modal) {
                EnableWindow(other, FALSE);
                state->windows.push_back(other);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&disabling));
    FormImplOf(*this).disabledByModal = disabling.windows;
    Show();
    Activate();
    // The form may be gone when the loop ends: only its window is asked.
    MSG message;
    while (IsWindow(window) && IsWindowVisible(window)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) {
            break;
        }
        win32::DispatchMessageForForms(message);
    }
    for (HWND other : disabling.windows) {
        if (IsWindow(other)) {
            EnableWindow(other, TRUE);
        }
    }
}

void Form::Activate() {
    if (HWND window = impl().hwnd) {
        BringWindowToTop(window);
        SetForegroundWindow(window);
    }
}

void Form::BringToFront() {
    if (HWND window = impl().hwnd) {
        const bool topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

bool Form::Minimized() const {
    return impl().hwnd && IsIconic(impl().hwnd);
}

void Form::Restore() {
    if (impl().hwnd && IsIconic(impl().hwnd)) {
        ShowWindow(impl().hwnd, SW_RESTORE);
    }
}

unsigned long Form::WindowId() const {
    // Window handles keep to 32 bits, so that 32- and 64-bit programs share them.
    return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(impl().hwnd));
}

void Form::setKeepPlaceWhenHidden(bool) {
    // Windows keeps a hidden window's place and shows it there again.
}

bool Form::HasWindow() const {
    return impl().hwnd && IsWindow(impl().hwnd);
}

void Form::setBackColor(std::uint32_t rgb) {
    impl().setBackColor(rgb);
}

void Form::setOwner(const Form& owner) {
    if (impl().hwnd && owner.impl().hwnd) {
        SetWindowLongPtrW(impl().hwnd, GWLP_HWNDPARENT,
                          reinterpret_cast<LONG_PTR>(owner.impl().hwnd));
    }
}

void Form::KeepOutOfTaskbar() {
    HWND window = impl().hwnd;
    if (window && !GetWindow(window, GW_OWNER)) {
        SetWindowLongPtrW(window, GWLP_HWNDPARENT,
                          reinterpret_cast<LONG_PTR>(win32::HiddenOwner()));
    }
}

void Form::CenterOnScreen() {
    FormImplOf(*this).centreOnFirstShow = true;
}

void Form::Maximize() {
    win32::FormImpl& form = FormImplOf(*this);
    if (!form.hwnd) {
        return;
    }
    if (!form.shownBefore) {
        form.maximizeOnFirstShow = true;
    } else if (win32::Frameless(form.style)) {
        win32::CoverMonitor(form.hwnd);
    } else {
        ShowWindow(form.hwnd, SW_MAXIMIZE);
    }
}

void Form::CoverScreenArea(const ScreenArea& area) {
    win32::FormImpl& form = FormImplOf(*this);
    if (!form.hwnd) {
        return;
    }
    // The area is in the screen picture's pixels, which start at the
    // virtual screen's top left (negative where a monitor lies left of or
    // above the main one). Windows are placed in device pixels.
    form.placed = true;
    SetWindowPos(form.hwnd, HWND_TOPMOST, GetSystemMetrics(SM_XVIRTUALSCREEN) + area.left,
                 GetSystemMetrics(SM_YVIRTUALSCREEN) + area.top, area.width, area.height,
                 SWP_NOACTIVATE);
}

void Form::TakeKeyboard() {
    // Keys go to the active window: the form becomes it, over the window
    // that was in front.
    if (HWND window = impl().hwnd) {
        SetForegroundWindow(window);
        SetActiveWindow(window);
        if (!GetFocus() || GetAncestor(GetFocus(), GA_ROOT) != window) {
            ::SetFocus(window);
        }
    }
}

void Form::ReleaseKeyboard() {
    // Nothing is held: the keyboard follows the active window, which the
    // hidden form no longer is.
}

}  // namespace controls
