#include "platform/controls/popup_button.h"

#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace controls {

PopupButton::PopupButton(const QString& caption, QWidget* parent) : QToolButton(parent) {
    setText(caption);
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setFocusPolicy(Qt::NoFocus);
    QFont font("MS Sans Serif");
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    setFont(font);
    connect(this, &QToolButton::clicked, this, [this] {
        setHighlight(false);
        emit Click(0);
    });
}

void PopupButton::setHighlight(bool on) {
    highlight_ = on;
    update();
}

void PopupButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    if (highlight_) {
        option.state |= QStyle::State_Raised | QStyle::State_MouseOver;
    }
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
}

}  // namespace controls
