#include "platform/controls/option_button.h"

#include "platform/controls/win32/control_impl.h"

namespace controls {
namespace {

struct OptionImpl : Control::Impl {
    explicit OptionImpl(OptionButton& button) : button(button) {
        tabStop = true;
        optionButton = true;
    }

    // Turns this button on and the others on its container off.
    void choose() {
        for (HWND sibling = GetWindow(GetParent(hwnd), GW_CHILD); sibling;
             sibling = GetWindow(sibling, GW_HWNDNEXT)) {
            if (sibling != hwnd && dynamic_cast<OptionImpl*>(win32::ImplOf(sibling))) {
                SendMessageW(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
            }
        }
        SendMessageW(hwnd, BM_SETCHECK, BST_CHECKED, 0);
    }

    // Drawn see-through, the button leaves what it drew before (a focus
    // rectangle) unless its container draws beneath it again.
    bool onMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
        switch (message) {
            case WM_SETFOCUS:
            case WM_KILLFOCUS:
            case BM_SETCHECK:
            case BM_SETSTATE:
            case WM_ENABLE:
            case WM_UPDATEUISTATE: {
                RECT place;
                GetWindowRect(hwnd, &place);
                HWND container = GetParent(hwnd);
                MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&place), 2);
                RedrawWindow(container, &place, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
                return false;
            }
            default:
                return false;
        }
    }

    bool onNotify(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
        if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
            // Drawn see-through, over its container's own drawing (a
            // frame's edge it overlaps stays in sight).
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
            return true;
        }
        if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
            choose();
            if (button.Click) {
                button.Click();
            }
            result = 0;
            return true;
        }
        return false;
    }

    OptionButton& button;
};

}  // namespace

OptionButton::OptionButton(Control& container, std::string_view caption)
    : Control(std::make_unique<OptionImpl>(*this)) {
    win32::CreateControlWindow(impl(), container, L"BUTTON", win32::Wide(caption),
                               WS_VISIBLE | WS_TABSTOP | BS_RADIOBUTTON);
}

bool OptionButton::Value() const {
    return impl().hwnd && SendMessageW(impl().hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void OptionButton::setValue(bool on) {
    if (!impl().hwnd) {
        return;
    }
    if (on) {
        static_cast<OptionImpl&>(impl()).choose();
    } else {
        SendMessageW(impl().hwnd, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

}  // namespace controls
