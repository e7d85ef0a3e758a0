#include "platform/controls/rectangle_shape.h"

#include <QPainter>
#include <cmath>

#include "base/rounding.h"

namespace controls {

RectangleShape::RectangleShape(QWidget* container)
    : QWidget(container), borderColor_(palette().color(QPalette::WindowText)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    QWidget::setVisible(false);
}

void RectangleShape::setLeft(double value) {
    left_ = value;
    place();
}

void RectangleShape::setTop(double value) {
    top_ = value;
    place();
}

bool RectangleShape::setWidth(double value) {
    if (!(value >= 0) || !std::isfinite(value)) {
        return false;
    }
    width_ = value;
    place();
    return true;
}

bool RectangleShape::setHeight(double value) {
    if (!(value >= 0) || !std::isfinite(value)) {
        return false;
    }
    height_ = value;
    place();
    return true;
}

void RectangleShape::setBorderWidth(int pixels) {
    borderWidth_ = pixels;
    update();
}

void RectangleShape::setBorderColor(const QColor& colour) {
    borderColor_ = colour;
    update();
}

void RectangleShape::setVisible(bool visible) {
    QWidget::setVisible(visible);
    if (visible) {
        raise();
    }
}

void RectangleShape::place() {
    // Shown in the toolkit's units, which a scaled desktop makes larger
    // than a pixel.
    const double ratio = devicePixelRatioF();
    setGeometry(base::ToInt32OrZero(left_ / ratio), base::ToInt32OrZero(top_ / ratio),
                base::ToInt32OrZero(width_ / ratio), base::ToInt32OrZero(height_ / ratio));
}

void RectangleShape::paintEvent(QPaintEvent*) {
    // The outline lies just inside the rectangle's edge. Over a busy picture
    // a solid line could vanish, so it is drawn as a dark line with a light
    // inner line when it is two pixels wide.
    QPainter painter(this);
    const QRect r = rect();
    if (r.width() <= 0 || r.height() <= 0) {
        return;
    }
    for (int i = 0; i < borderWidth_ && 2 * i < std::min(r.width(), r.height()); ++i) {
        QColor colour = borderColor_;
        if (i % 2 == 1) {
            colour = borderColor_.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
        }
        painter.setPen(colour);
        painter.drawRect(r.adjusted(i, i, -i - 1, -i - 1));
    }
}

}  // namespace controls
