#pragma once
// The Qt side of a control: the widget that draws it, and where its own
// controls go if it holds any (a form's client area, a frame's inside).

#include <QPointer>
#include <QWidget>
#include <string_view>

#include "platform/controls/control.h"

namespace controls {

struct Control::Impl {
    explicit Impl(QWidget* widget) : widget(widget), client(widget) {}
    QPointer<QWidget> widget;
    QPointer<QWidget> client;
};

namespace qt {

inline QWidget* WidgetOf(const Control& control) {
    return control.impl().widget;
}

// Where a control built on `container` puts its widget.
inline QWidget* ClientOf(const Control& container) {
    return container.impl().client;
}

// A control standing for a widget that is not one, so that controls can be
// built on a window that is not yet a controls::Form. The widget stays its
// owner's: the host never deletes it.
class Host : public Control {
  public:
    explicit Host(QWidget* widget) : Control(std::make_unique<Impl>(widget)) {}
    ~Host() override { impl().widget = nullptr; }
};

// A control's UTF-8 text as Qt's.
inline QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The handlers' button and shift codes.
int ButtonCode(Qt::MouseButton button);
int ButtonCodes(Qt::MouseButtons buttons);
int ShiftCode(Qt::KeyboardModifiers modifiers);
// The KeyDown code of a key (the ASCII code for Escape, letters, digits).
int KeyCode(int qtKey);

}  // namespace qt
}  // namespace controls
