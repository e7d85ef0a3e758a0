#include "capture/size_label.h"

#include <QCursor>
#include <QLabel>
#include <algorithm>

namespace capture {

QLabel* NewSizeLabel(QWidget* picture) {
    auto* label = new QLabel(picture);
    label->setObjectName("SizeLabel");
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setStyleSheet(QStringLiteral(
        "QLabel { color: white; background: rgba(0, 0, 0, 170); padding: 2px 4px; }"));
    label->hide();
    return label;
}

void ShowSizeLabel(QLabel* label, const QString& text) {
    QWidget* picture = label->parentWidget();
    label->setText(text);
    label->adjustSize();
    constexpr int kGap = 16;
    const QPoint pointer = picture->mapFromGlobal(QCursor::pos());
    int left = pointer.x() + kGap;
    int top = pointer.y() + kGap;
    if (left + label->width() > picture->width()) {
        left = pointer.x() - kGap - label->width();
    }
    if (top + label->height() > picture->height()) {
        top = pointer.y() - kGap - label->height();
    }
    label->move(std::max(left, 0), std::max(top, 0));
    label->show();
    label->raise();
}

}  // namespace capture
