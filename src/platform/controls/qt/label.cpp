#include "platform/controls/label.h"

#include <QLabel>
#include <QMouseEvent>

#include "base/rounding.h"
#include "platform/controls/qt/control_impl.h"

namespace controls {
namespace {

constexpr double kPixelsPerPoint = 96.0 / 72.0;

class LabelWidget : public QLabel {
  public:
    LabelWidget(const QString& text, QWidget* parent, Label& label)
        : QLabel(text, parent), label_(label) {
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (!label_.MouseDown && !label_.Click) {
            return QLabel::mousePressEvent(event);
        }
        pressed_ = true;
        if (label_.MouseDown) {
            label_.MouseDown(qt::ButtonCode(event->button()), qt::ShiftCode(event->modifiers()),
                             x(event), y(event));
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!label_.MouseMove) {
            return QLabel::mouseMoveEvent(event);
        }
        label_.MouseMove(qt::ButtonCodes(event->buttons()), qt::ShiftCode(event->modifiers()),
                         x(event), y(event));
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (!label_.MouseUp && !label_.Click) {
            return QLabel::mouseReleaseEvent(event);
        }
        if (label_.MouseUp) {
            label_.MouseUp(qt::ButtonCode(event->button()), qt::ShiftCode(event->modifiers()),
                           x(event), y(event));
        }
        const bool click = pressed_ && rect().contains(event->position().toPoint());
        pressed_ = false;
        if (click && label_.Click) {
            label_.Click();
        }
    }

  private:
    static float x(QMouseEvent* event) { return static_cast<float>(event->position().x()); }
    static float y(QMouseEvent* event) { return static_cast<float>(event->position().y()); }

    Label& label_;
    bool pressed_ = false;
};

QLabel* LabelOf(const Label& label) {
    return static_cast<QLabel*>(qt::WidgetOf(label));
}

}  // namespace

Label::Label(Control& container, std::string_view caption)
    : Control(std::make_unique<Impl>(
          new LabelWidget(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                          qt::ClientOf(container), *this))) {
    // Moves reach MouseMove (or the container) without a button held.
    qt::WidgetOf(*this)->setMouseTracking(true);
}

std::string Label::Caption() const {
    QLabel* label = LabelOf(*this);
    return label ? label->text().toStdString() : std::string();
}

void Label::setCaption(std::string_view caption) {
    if (QLabel* label = LabelOf(*this)) {
        label->setText(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    }
}

void Label::setForeColor(std::uint32_t rgb) {
    if (QLabel* label = LabelOf(*this)) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor::fromRgb(rgb & 0xFFFFFF));
        label->setPalette(palette);
    }
}

void Label::setFont(const Font& font) {
    if (QLabel* label = LabelOf(*this)) {
        QFont qfont(QString::fromStdString(font.family));
        qfont.setStyleHint(QFont::SansSerif);
        qfont.setPixelSize(base::ToInt32OrZero(font.points * kPixelsPerPoint));
        qfont.setBold(font.bold);
        qfont.setItalic(font.italic);
        label->setFont(qfont);
    }
}

void Label::setAlignment(Alignment alignment) {
    if (QLabel* label = LabelOf(*this)) {
        const Qt::Alignment across = alignment == Alignment::Center  ? Qt::AlignHCenter
                                     : alignment == Alignment::Right ? Qt::AlignRight
                                                                     : Qt::AlignLeft;
        label->setAlignment(across | (label->alignment() & Qt::AlignVertical_Mask));
    }
}

void Label::setVerticalAlignment(VerticalAlignment alignment) {
    if (QLabel* label = LabelOf(*this)) {
        const Qt::Alignment down =
            alignment == VerticalAlignment::Middle ? Qt::AlignVCenter : Qt::AlignTop;
        label->setAlignment((label->alignment() & Qt::AlignHorizontal_Mask) | down);
    }
}

void Label::setWordWrap(bool wrap) {
    if (QLabel* label = LabelOf(*this)) {
        label->setWordWrap(wrap);
    }
}

void Label::BringToFront() {
    if (QLabel* label = LabelOf(*this)) {
        label->raise();
    }
}

}  // namespace controls
