#include "platform/controls/command_button.h"

#include <QKeyEvent>
#include <QPushButton>

#include "platform/controls/qt/control_impl.h"

namespace controls {
namespace {

QString FromUtf8(std::string_view text) {
    return qt::Text(text);
}

QPushButton* ButtonOf(const CommandButton& button) {
    return static_cast<QPushButton*>(qt::WidgetOf(button));
}

// Presses the cancel button when Esc reaches its window (from whichever
// control has the focus), before a dialog would take Esc for itself.
class CancelKey : public QObject {
  public:
    CancelKey(QPushButton* button) : QObject(button), button_(button) {
        button->window()->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == button_->window() && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier && button_->isEnabled()) {
            button_->click();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QPushButton* button_;
};

}  // namespace

CommandButton::CommandButton(Control& container, std::string_view caption)
    : Control(std::make_unique<Impl>(new QPushButton(FromUtf8(caption), qt::ClientOf(container)))) {
    QObject::connect(ButtonOf(*this), &QPushButton::clicked, [this] {
        if (Click) {
            Click();
        }
    });
}

std::string CommandButton::Caption() const {
    QPushButton* button = ButtonOf(*this);
    return button ? button->text().toStdString() : std::string();
}

void CommandButton::setDefault(bool isDefault) {
    if (QPushButton* button = ButtonOf(*this)) {
        button->setDefault(isDefault);
    }
}

void CommandButton::setCancel(bool isCancel) {
    QPushButton* button = ButtonOf(*this);
    if (!button) {
        return;
    }
    auto* cancel = button->findChild<CancelKey*>(QString(), Qt::FindDirectChildrenOnly);
    if (isCancel && !cancel) {
        new CancelKey(button);
    } else if (!isCancel) {
        delete cancel;
    }
}

}  // namespace controls
