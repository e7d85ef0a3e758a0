#pragma once
// The Qt side of a menu item: its action.

#include <QAction>
#include <QPointer>

#include "platform/controls/menu.h"

namespace controls {

struct MenuItem::Impl {
    explicit Impl(QAction* action) : action(action) {}
    QPointer<QAction> action;
};

namespace qt {

QAction* ActionOf(const MenuItem& item);

}  // namespace qt
}  // namespace controls
