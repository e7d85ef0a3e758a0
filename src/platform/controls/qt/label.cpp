#include "platform/controls/label.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <optional>

#include "base/rounding.h"
#include "platform/controls/qt/control_impl.h"

namespace controls {
namespace {

constexpr double kPixelsPerPoint = 96.0 / 72.0;

// The drag-and-drop format that carries the name of the dragged control.
constexpr const char* kControlMimeType = "application/x-tessarine-control";

class LabelWidget;

// A drop on a label, held until the drag has ended.
struct Drop {
    QPointer<LabelWidget> target;
    std::string sourceName;
    QPoint position;
};
std::optional<Drop> pendingDrop;

// The outline of a control that follows the pointer while it is dragged.
QPixmap DragOutline(QSize size) {
    QPixmap outline(size);
    outline.fill(Qt::transparent);
    QPainter painter(&outline);
    painter.setPen(QPen(QColor(0, 0, 0), 2));
    painter.drawRect(QRect(QPoint(1, 1), size - QSize(2, 2)));
    return outline;
}

class LabelWidget : public QLabel {
  public:
    LabelWidget(const QString& text, QWidget* parent, Label& label)
        : QLabel(text, parent), label_(label) {
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setAcceptDrops(true);
    }

    DragMode dragMode = DragMode::Manual;

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (dragMode == DragMode::Automatic && event->button() == Qt::LeftButton) {
            event->accept();
            drag(event->position().toPoint());
            return;
        }
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

    void dragEnterEvent(QDragEnterEvent* event) override { acceptIfControl(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { acceptIfControl(event); }
    void dropEvent(QDropEvent* event) override {
        if (!takesDrop(event)) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        pendingDrop = Drop{this, event->mimeData()->data(kControlMimeType).toStdString(),
                           event->position().toPoint()};
    }

  private:
    // Controls are dragged only within the program: a drag from another
    // program is not one of them, whatever it carries.
    bool takesDrop(const QDropEvent* event) const {
        return label_.DragDrop && event->source() != nullptr &&
               event->mimeData()->hasFormat(kControlMimeType);
    }
    void acceptIfControl(QDragMoveEvent* event) const {
        if (takesDrop(event)) {
            event->acceptProposedAction();
        } else {
            event->ignore();
        }
    }

    void drag(QPoint hotSpot) {
        auto* data = new QMimeData;
        data->setData(kControlMimeType, objectName().toUtf8());
        QPointer<QDrag> drag = new QDrag(this);
        drag->setMimeData(data);
        drag->setPixmap(DragOutline(size()));
        drag->setHotSpot(hotSpot);

        pendingDrop.reset();
        drag->exec(Qt::MoveAction);
        if (drag) {
            drag->deleteLater();
        }
        // The drop handler runs once the drag has ended, so that a window it
        // may open gets the mouse and keyboard to itself.
        const std::optional<Drop> drop = std::move(pendingDrop);
        pendingDrop.reset();
        if (drop && drop->target) {
            drop->target->dropped(drop->sourceName, drop->position);
        }
    }

    void dropped(const std::string& sourceName, QPoint position) {
        if (label_.DragDrop) {
            label_.DragDrop(sourceName, static_cast<float>(position.x()),
                            static_cast<float>(position.y()));
        }
    }

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
          new LabelWidget(qt::Text(caption), qt::ClientOf(container), *this))) {
    // Moves reach MouseMove (or the container) without a button held.
    qt::WidgetOf(*this)->setMouseTracking(true);
}

std::string Label::Caption() const {
    QLabel* label = LabelOf(*this);
    return label ? label->text().toStdString() : std::string();
}

void Label::setCaption(std::string_view caption) {
    if (QLabel* label = LabelOf(*this)) {
        label->setText(qt::Text(caption));
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

void Label::setTextMargins(int left, int top, int right, int bottom) {
    if (QLabel* label = LabelOf(*this)) {
        label->setContentsMargins(left, top, right, bottom);
    }
}

void Label::setDragMode(DragMode mode) {
    if (QLabel* label = LabelOf(*this)) {
        static_cast<LabelWidget*>(label)->dragMode = mode;
    }
}

}  // namespace controls
