#include "platform/controls/menu.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include "platform/controls/form.h"
#include "platform/controls/qt/form_window.h"
#include "platform/controls/qt/menu_impl.h"

namespace controls {
namespace {

QString FromUtf8(std::string_view text) {
    return qt::Text(text);
}

QMenuBar* BarOf(const Form& form) {
    QMainWindow* window = qt::MainWindowOf(form);
    return window ? window->menuBar() : nullptr;
}

QAction* NewAction(QWidget* owner, std::string_view caption) {
    if (!owner) {
        return nullptr;
    }
    if (caption == "-") {
        auto* menu = qobject_cast<QMenu*>(owner);
        return menu ? menu->addSeparator() : nullptr;
    }
    auto* action = new QAction(FromUtf8(caption), owner);
    owner->addAction(action);
    return action;
}

}  // namespace

Menu::Menu(Form& form, std::string_view caption)
    : Control(std::make_unique<Impl>(BarOf(form) ? BarOf(form)->addMenu(FromUtf8(caption))
                                                 : nullptr)) {}

MenuItem::MenuItem(Menu& menu, std::string_view caption)
    : impl_(std::make_unique<Impl>(NewAction(qt::WidgetOf(menu), caption))) {
    if (impl_->action) {
        QObject::connect(impl_->action, &QAction::triggered, [this] {
            if (Click) {
                Click();
            }
        });
    }
}

MenuItem::MenuItem(Form& form, std::string_view caption)
    : impl_(std::make_unique<Impl>(NewAction(BarOf(form), caption))) {
    if (impl_->action) {
        QObject::connect(impl_->action, &QAction::triggered, [this] {
            if (Click) {
                Click();
            }
        });
    }
}

MenuItem::~MenuItem() {
    delete impl_->action.data();
}

std::string MenuItem::Caption() const {
    return impl_->action ? impl_->action->text().toStdString() : std::string();
}

bool MenuItem::Enabled() const {
    return impl_->action && impl_->action->isEnabled();
}

void MenuItem::setEnabled(bool enabled) {
    if (impl_->action) {
        impl_->action->setEnabled(enabled);
    }
}

void MenuItem::setShortcut(int shift, int keyCode) {
    if (!impl_->action) {
        return;
    }
    int key = keyCode;
    if (shift & vbShiftMask) {
        key |= Qt::SHIFT;
    }
    if (shift & vbCtrlMask) {
        key |= Qt::CTRL;
    }
    if (shift & vbAltMask) {
        key |= Qt::ALT;
    }
    impl_->action->setShortcut(QKeySequence(key));
}

namespace qt {

QAction* ActionOf(const MenuItem& item) {
    return item.impl().action;
}

}  // namespace qt
}  // namespace controls
