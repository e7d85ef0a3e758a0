#include "platform/controls/cursor.h"

#include <QCursor>

#include "platform/controls/qt/control_impl.h"

namespace controls {

bool PointerIsOver(const Control& control) {
    const QWidget* widget = qt::WidgetOf(control);
    return widget && widget->rect().contains(widget->mapFromGlobal(QCursor::pos()));
}

}  // namespace controls
