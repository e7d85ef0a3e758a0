#pragma once
// The Qt window behind a controls::Form: one of QMainWindow (a sizable
// window with a menu bar), QDialog (a fixed box) or QWidget (no frame),
// passing the window's events to the form's handlers.

#include <QCloseEvent>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <type_traits>

#include "platform/controls/form.h"
#include "platform/controls/qt/control_impl.h"

namespace controls::qt {

// Whether a form's window passes its events on to the form: only from the
// end of the form's construction to the start of its destruction, while the
// form and its handlers exist (building the window already sends events).
struct FormLink {
    bool attached = false;
    // Form::CenterOnScreen was called.
    bool centreOnScreen = false;
};

// Moves `window`, showing for the first time, to the middle of its
// screen, allowing for the frames that the window manager puts around the
// program's windows, as Qt centres a dialog that has no parent.
void CentreOnScreen(QWidget* window);

template <typename Window>
class FormWindow : public Window, public FormLink {
  public:
    explicit FormWindow(Form& form) : form_(form) {}

    // The client area's events come here too (see Form::Form).
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (attached && watched == form_.impl().client && watched != this) {
            handle(event, static_cast<QWidget*>(watched));
        }
        return Window::eventFilter(watched, event);
    }

  protected:
    void showEvent(QShowEvent* event) override {
        if (centreOnScreen && !event->spontaneous() && !this->testAttribute(Qt::WA_Moved)) {
            CentreOnScreen(this);
        }
        if constexpr (std::is_same_v<Window, QDialog>) {
            // An owned dialog that is not modal is placed by the window
            // system, as any owned window is (centred on its owner), not by
            // the dialog's own centring.
            if (this->parentWidget() && this->windowModality() == Qt::NonModal) {
                QWidget::showEvent(event);
                return;
            }
        }
        Window::showEvent(event);
    }

    bool event(QEvent* event) override {
        if (!attached) {
            return Window::event(event);
        }
        if (form_.impl().client == this) {
            handle(event, this);
        }
        if (event->type() == QEvent::WindowStateChange && form_.WindowStateChanged) {
            form_.WindowStateChanged();
        }
        return Window::event(event);
    }

    void closeEvent(QCloseEvent* event) override {
        if (attached && form_.QueryUnload && !form_.QueryUnload()) {
            event->ignore();
            return;
        }
        Window::closeEvent(event);
    }

    void keyPressEvent(QKeyEvent* event) override {
        const int code = KeyCode(event->key());
        if (attached && form_.KeyDown && code != 0) {
            form_.KeyDown(code, ShiftCode(event->modifiers()));
            return;
        }
        Window::keyPressEvent(event);
    }

  private:
    // Mouse and size events of the client area; a move over a control that
    // passes it on to its container is not a move over the form itself.
    void handle(QEvent* event, QWidget* client) {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseMove: {
                auto* mouse = static_cast<QMouseEvent*>(event);
                const QPoint at = mouse->position().toPoint();
                if (client->childAt(at)) {
                    return;
                }
                const float x = static_cast<float>(mouse->position().x());
                const float y = static_cast<float>(mouse->position().y());
                const int shift = ShiftCode(mouse->modifiers());
                if (event->type() == QEvent::MouseMove) {
                    if (form_.MouseMove) {
                        form_.MouseMove(ButtonCodes(mouse->buttons()), shift, x, y);
                    }
                } else if (event->type() == QEvent::MouseButtonPress) {
                    pressed_ = true;
                    if (form_.MouseDown) {
                        form_.MouseDown(ButtonCode(mouse->button()), shift, x, y);
                    }
                } else {
                    if (form_.MouseUp) {
                        form_.MouseUp(ButtonCode(mouse->button()), shift, x, y);
                    }
                    if (pressed_ && client->rect().contains(at) && form_.Click) {
                        pressed_ = false;
                        form_.Click();
                    }
                    pressed_ = false;
                }
                break;
            }
            case QEvent::Resize:
                if (form_.Resize) {
                    form_.Resize();
                }
                break;
            default:
                break;
        }
    }

    Form& form_;
    bool pressed_ = false;
};

// The Qt window of a form.
QWidget* WindowOf(const Form& form);
// The menu bar of a sizable form; null for other styles.
QMainWindow* MainWindowOf(const Form& form);
// Form::setOwner with an owner that is a Qt window of its own.
void SetOwnerWindow(Form& form, QWidget* owner);

}  // namespace controls::qt
