#include "platform/controls/pointer_label.h"

#include <QCursor>
#include <QLabel>
#include <algorithm>

#include "platform/controls/qt/control_impl.h"

namespace controls {
namespace {

QLabel* NewPointerLabel(QWidget* container) {
    auto* label = new QLabel(container);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setStyleSheet(QStringLiteral(
        "QLabel { color: white; background: rgba(0, 0, 0, 170); padding: 2px 4px; }"));
    label->hide();
    return label;
}

}  // namespace

PointerLabel::PointerLabel(Control& container)
    : Control(std::make_unique<Impl>(NewPointerLabel(qt::ClientOf(container)))) {}

void PointerLabel::ShowBesidePointer(std::string_view text) {
    auto* label = static_cast<QLabel*>(qt::WidgetOf(*this));
    QWidget* container = label ? label->parentWidget() : nullptr;
    if (!container) {
        return;
    }
    label->setText(qt::Text(text));
    label->adjustSize();
    constexpr int kGap = 16;
    const QPoint pointer = container->mapFromGlobal(QCursor::pos());
    int left = pointer.x() + kGap;
    int top = pointer.y() + kGap;
    if (left + label->width() > container->width()) {
        left = pointer.x() - kGap - label->width();
    }
    if (top + label->height() > container->height()) {
        top = pointer.y() - kGap - label->height();
    }
    label->move(std::max(left, 0), std::max(top, 0));
    label->show();
    label->raise();
}

}  // namespace controls
