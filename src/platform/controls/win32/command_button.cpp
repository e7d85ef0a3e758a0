#include "platform/controls/command_button.h"

#include "platform/controls/win32/form_impl.h"

namespace controls {
namespace {

struct ButtonImpl : Control::Impl {
    explicit ButtonImpl(CommandButton& button) : button(button) { tabStop = true; }

    bool onNotify(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
        if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
            if (button.Click) {
                button.Click();
            }
            result = 0;
            return true;
        }
        return false;
    }

    CommandButton& button;
};

}  // namespace

CommandButton::CommandButton(Control& container, std::string_view caption)
    : Control(std::make_unique<ButtonImpl>(*this)) {
    win32::CreateControlWindow(impl(), container, L"BUTTON", win32::Wide(caption),
                               WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON);
}

std::string CommandButton::Caption() const {
    return win32::WindowText(impl().hwnd);
}

void CommandButton::setDefault(bool isDefault) {
    HWND button = impl().hwnd;
    win32::FormImpl* form = impl().form;
    if (!button || !form) {
        return;
    }
    if (isDefault) {
        if (form->defaultButton && form->defaultButton != button) {
            SendMessageW(form->defaultButton, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        }
        form->defaultButton = button;
    } else if (form->defaultButton == button) {
        form->defaultButton = nullptr;
    }
    SendMessageW(button, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void CommandButton::setCancel(bool isCancel) {
    HWND button = impl().hwnd;
    win32::FormImpl* form = impl().form;
    if (!button || !form) {
        return;
    }
    if (isCancel) {
        form->cancelButton = button;
    } else if (form->cancelButton == button) {
        form->cancelButton = nullptr;
    }
}

}  // namespace controls
