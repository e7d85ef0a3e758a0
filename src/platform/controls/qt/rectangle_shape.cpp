#include "platform/controls/rectangle_shape.h"

#include <QPainter>
#include <QWidget>
#include <cmath>

#include "base/rounding.h"
#include "platform/controls/qt/control_impl.h"

namespace controls {
namespace {

class ShapeWidget : public QWidget {
  public:
    explicit ShapeWidget(QWidget* container)
        : QWidget(container), borderColor_(palette().color(QPalette::WindowText)) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setVisible(false);
    }

    double left = 0, top = 0, width = 0, height = 0;

    void setBorderWidth(int pixels) {
        borderWidth_ = pixels;
        update();
    }
    void setBorderColor(const QColor& colour) {
        borderColor_ = colour;
        update();
    }

    void place() {
        // Shown in the toolkit's units, which a scaled desktop makes larger
        // than a pixel.
        const double ratio = devicePixelRatioF();
        setGeometry(base::ToInt32OrZero(left / ratio), base::ToInt32OrZero(top / ratio),
                    base::ToInt32OrZero(width / ratio), base::ToInt32OrZero(height / ratio));
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        // The outline lies just inside the rectangle's edge. Over a busy
        // picture a solid line could vanish, so it is drawn as a dark line
        // with a light inner line when it is two pixels wide.
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

  private:
    int borderWidth_ = 2;
    QColor borderColor_;
};

ShapeWidget* ShapeOf(const RectangleShape& shape) {
    return static_cast<ShapeWidget*>(qt::WidgetOf(shape));
}

bool Usable(double value) {
    return value >= 0 && std::isfinite(value);
}

}  // namespace

RectangleShape::RectangleShape(Control& container)
    : Control(std::make_unique<Impl>(new ShapeWidget(qt::ClientOf(container)))) {}

double RectangleShape::Left() const {
    const ShapeWidget* shape = ShapeOf(*this);
    return shape ? shape->left : 0;
}
double RectangleShape::Top() const {
    const ShapeWidget* shape = ShapeOf(*this);
    return shape ? shape->top : 0;
}
double RectangleShape::Width() const {
    const ShapeWidget* shape = ShapeOf(*this);
    return shape ? shape->width : 0;
}
double RectangleShape::Height() const {
    const ShapeWidget* shape = ShapeOf(*this);
    return shape ? shape->height : 0;
}

void RectangleShape::setLeft(double value) {
    if (ShapeWidget* shape = ShapeOf(*this)) {
        shape->left = value;
        shape->place();
    }
}

void RectangleShape::setTop(double value) {
    if (ShapeWidget* shape = ShapeOf(*this)) {
        shape->top = value;
        shape->place();
    }
}

bool RectangleShape::setWidth(double value) {
    ShapeWidget* shape = ShapeOf(*this);
    if (!shape || !Usable(value)) {
        return false;
    }
    shape->width = value;
    shape->place();
    return true;
}

bool RectangleShape::setHeight(double value) {
    ShapeWidget* shape = ShapeOf(*this);
    if (!shape || !Usable(value)) {
        return false;
    }
    shape->height = value;
    shape->place();
    return true;
}

void RectangleShape::setBorderWidth(int pixels) {
    if (ShapeWidget* shape = ShapeOf(*this)) {
        shape->setBorderWidth(pixels);
    }
}

void RectangleShape::setBorderColor(std::uint32_t rgb) {
    if (ShapeWidget* shape = ShapeOf(*this)) {
        shape->setBorderColor(QColor::fromRgb(rgb & 0xFFFFFF));
    }
}

void RectangleShape::setVisible(bool visible) {
    if (ShapeWidget* shape = ShapeOf(*this)) {
        shape->setVisible(visible);
        if (visible) {
            shape->raise();
        }
    }
}

}  // namespace controls
