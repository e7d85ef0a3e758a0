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
#include <QWindow>
#include <optional>
#include <type_traits>

#include "platform/backend.h"
#include "platform/controls/form.h"
#include "platform/controls/qt/control_impl.h"

namespace controls::qt {

// What a form's window knows of its form once the form is built: events
// that arrive while the window itself is being made (before the form's
// handlers exist), or while the form is going, go to the window alone.
class FormLink {
  public:
    virtual ~FormLink() = default;
    // The form is complete; its client area is `client` (null: it is going).
    void attach(QWidget* client) { client_ = client; }
    void setKeepPlace(bool keep) { keepPlace_ = keep; }
    // Form::CenterOnScreen was called.
    void setCentreOnScreen() { centreOnScreen_ = true; }
    // Form::CoverScreenArea was called: where the window goes once shown.
    void setCoverArea(const ScreenArea& area) { coverArea_ = area; }
    const std::optional<ScreenArea>& coverArea() const { return coverArea_; }

  protected:
    QPointer<QWidget> client_;
    bool keepPlace_ = false;
    bool centreOnScreen_ = false;
    std::optional<ScreenArea> coverArea_;
};

// Moves `window`, showing for the first time, to the middle of its
// screen, allowing for the frames that the window manager puts around the
// program's windows, as Qt centres a dialog that has no parent.
void CentreOnScreen(QWidget* window);

template <typename Window>
class FormWindow : public Window, public FormLink {
  public:
    explicit FormWindow(Form& form) : form_(form) {}

    // The client area's events come here too (see Form::Form), and the
    // native window's while a place is being restored.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (client_ && watched == client_ && watched != this) {
            handle(event, static_cast<QWidget*>(watched));
        } else if (event->type() == QEvent::Expose && restorePlacePending_ &&
                   watched == this->windowHandle() && this->windowHandle()->isExposed()) {
            restorePlacePending_ = false;
            restorePlace();
        }
        return Window::eventFilter(watched, event);
    }

    void setVisible(bool visible) override {
        if (!keepPlace_) {
            Window::setVisible(visible);
            return;
        }
        if (visible) {
            closing_ = false;
        }
        const auto hwnd = [this] { return static_cast<platform::HWND>(this->winId()); };
        // Where the desktop would hand a hidden window's place to the
        // others, a capture must show them where they were: the window
        // stays there, drawn see-through.
        if (steppedAside_ && (visible || closing_)) {
            steppedAside_ = false;
            platform::CurrentBackend()->stepBackInPlace(hwnd());
            if (visible) {
                return;
            }
        } else if (steppedAside_) {
            return;
        }
        if (!visible && this->isVisible() && !closing_ &&
            platform::CurrentBackend()->stepAsideInPlace(hwnd())) {
            steppedAside_ = true;
            return;
        }
        bool reshow = visible && !this->isVisible() && placeBeforeHide_.isValid();
        if (!visible && this->isVisible()) {
            placeBeforeHide_ = this->geometry();
            platform::CurrentBackend()->rememberWindowPlace(hwnd());
        }
        if (reshow && platform::CurrentBackend()->restoreWindowPlace(hwnd())) {
            // The desktop puts it back itself, once it has mapped it.
            reshow = false;
        }
        if (reshow) {
            // Asked for by the program, the place goes with the window's
            // size hints when it maps: a window manager that otherwise
            // places every mapped window itself (fluxbox, just after the
            // first expose) leaves it there.
            if (QWindow* window = this->windowHandle()) {
                window->setPosition(placeBeforeHide_.topLeft());
            }
        }
        Window::setVisible(visible);
        if (reshow) {
            // The window manager places the window when it maps it, which
            // is before the window is first exposed: until then, every
            // placement that arrives is undone, however long the window
            // manager takes.
            restorePlacePending_ = true;
            if (QWindow* window = this->windowHandle()) {
                window->installEventFilter(this);
            }
        }
    }

  protected:
    void showEvent(QShowEvent* event) override {
        if (centreOnScreen_ && !event->spontaneous() && !this->testAttribute(Qt::WA_Moved)) {
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
        if (!client_) {
            return Window::event(event);
        }
        if (client_ == this) {
            handle(event, this);
        }
        if (event->type() == QEvent::WindowStateChange && form_.WindowStateChanged) {
            form_.WindowStateChanged();
        }
        return Window::event(event);
    }

    void closeEvent(QCloseEvent* event) override {
        if (client_ && form_.QueryUnload && !form_.QueryUnload()) {
            event->ignore();
            return;
        }
        // A closed window goes, even from its place aside.
        closing_ = true;
        Window::closeEvent(event);
    }

    void moveEvent(QMoveEvent* event) override {
        Window::moveEvent(event);
        if (restorePlacePending_) {
            restorePlace();
        }
    }

    void keyPressEvent(QKeyEvent* event) override {
        const int code = KeyCode(event->key());
        if (client_ && form_.KeyDown && code != 0) {
            form_.KeyDown(code, ShiftCode(event->modifiers()));
            return;
        }
        Window::keyPressEvent(event);
    }

  private:
    void restorePlace() {
        if (this->geometry().topLeft() != placeBeforeHide_.topLeft()) {
            this->move(this->pos() + (placeBeforeHide_.topLeft() - this->geometry().topLeft()));
        }
    }

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
    QRect placeBeforeHide_;
    bool restorePlacePending_ = false;
    // Hidden from captures while still in its place (see setVisible).
    bool steppedAside_ = false;
    bool closing_ = false;
};

// The Qt window of a form.
QWidget* WindowOf(const Form& form);
// The menu bar of a sizable form; null for other styles.
QMainWindow* MainWindowOf(const Form& form);
// Form::setOwner with an owner that is a Qt window of its own.
void SetOwnerWindow(Form& form, QWidget* owner);

}  // namespace controls::qt
