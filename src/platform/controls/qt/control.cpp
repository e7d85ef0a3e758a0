#include "platform/controls/qt/control_impl.h"

namespace controls {

Control::Control(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Control::~Control() {
    // A container deletes its widgets with its own; one still here goes now.
    delete impl_->widget.data();
}

int Control::Left() const {
    return impl_->widget ? impl_->widget->x() : 0;
}
int Control::Top() const {
    return impl_->widget ? impl_->widget->y() : 0;
}
int Control::Width() const {
    return impl_->widget ? impl_->widget->width() : 0;
}
int Control::Height() const {
    return impl_->widget ? impl_->widget->height() : 0;
}

void Control::Move(int left, int top, int width, int height) {
    if (impl_->widget) {
        impl_->widget->setGeometry(left, top, width, height);
    }
}

bool Control::Visible() const {
    return impl_->widget && impl_->widget->isVisible();
}
void Control::setVisible(bool visible) {
    if (impl_->widget) {
        impl_->widget->setVisible(visible);
    }
}
bool Control::Enabled() const {
    return impl_->widget && impl_->widget->isEnabled();
}
void Control::setEnabled(bool enabled) {
    if (impl_->widget) {
        impl_->widget->setEnabled(enabled);
    }
}
void Control::SetFocus() {
    if (impl_->widget) {
        impl_->widget->setFocus();
    }
}
void Control::setName(const char* name) {
    if (impl_->widget) {
        impl_->widget->setObjectName(name);
    }
}

void SetTabOrder(Control& first, Control& second) {
    if (first.impl().widget && second.impl().widget) {
        QWidget::setTabOrder(first.impl().widget, second.impl().widget);
    }
}

namespace qt {

int ButtonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return vbLeftButton;
        case Qt::RightButton:
            return vbRightButton;
        case Qt::MiddleButton:
            return vbMiddleButton;
        default:
            return 0;
    }
}

int ButtonCodes(Qt::MouseButtons buttons) {
    int code = 0;
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        if (buttons & button) {
            code |= ButtonCode(button);
        }
    }
    return code;
}

int ShiftCode(Qt::KeyboardModifiers modifiers) {
    int code = 0;
    if (modifiers & Qt::ShiftModifier) {
        code |= vbShiftMask;
    }
    if (modifiers & Qt::ControlModifier) {
        code |= vbCtrlMask;
    }
    if (modifiers & Qt::AltModifier) {
        code |= vbAltMask;
    }
    return code;
}

int KeyCode(int qtKey) {
    if (qtKey == Qt::Key_Escape) {
        return vbKeyEscape;
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return qtKey;
    }
    return 0;
}

}  // namespace qt
}  // namespace controls
