#include "ui/info/frm_about.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QIcon>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <algorithm>

#include "platform/x11/window_hints.h"
#include "program/default_form.h"
#include "ui/info/form3.h"
#include "ui/info/support_message.h"
#include "ui/info/twips.h"
#include "ui/main/form1.h"

namespace {

// The support line: pressing the left button on it starts dragging it.
class DragSourceLabel : public QLabel {
  public:
    DragSourceLabel(const QString& text, frmAbout* owner) : QLabel(text, owner), owner_(owner) {}

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) {
            QLabel::mousePressEvent(event);
            return;
        }
        event->accept();
        owner_->DragSupport(event->position().toPoint());
    }

  private:
    frmAbout* owner_;
};

// The title: takes drops of this program's own controls.
class DropTargetLabel : public QLabel {
  public:
    DropTargetLabel(const QString& text, QWidget* parent, frmAbout* owner)
        : QLabel(text, parent), owner_(owner) {
        setAcceptDrops(true);
    }

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override { acceptIfControl(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { acceptIfControl(event); }
    void dropEvent(QDropEvent* event) override {
        if (!isControl(event)) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        owner_->RecordDropOnLabel1(
            QString::fromUtf8(event->mimeData()->data(frmAbout::kControlMimeType)),
            event->position().toPoint());
    }

  private:
    // Controls are dragged only within the program: a drag from another
    // program is not one of them, whatever it carries.
    static bool isControl(const QDropEvent* event) {
        return event->source() != nullptr &&
               event->mimeData()->hasFormat(frmAbout::kControlMimeType);
    }
    static void acceptIfControl(QDragMoveEvent* event) {
        if (isControl(event)) {
            event->acceptProposedAction();
        } else {
            event->ignore();
        }
    }

    frmAbout* owner_;
};

// The outline of a control that follows the pointer while it is dragged.
QPixmap DragOutline(QSize size) {
    QPixmap outline(size);
    outline.fill(Qt::transparent);
    QPainter painter(&outline);
    painter.setPen(QPen(QColor(0, 0, 0), 2));
    painter.drawRect(QRect(QPoint(1, 1), size - QSize(2, 2)));
    return outline;
}

}  // namespace

frmAbout::frmAbout() {
    setObjectName("frmAbout");
    setWindowTitle("Tessarine");
    // A fixed dialog frame: title bar and close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    QIcon icon(":/icons/tessarine.png");
    icon.addFile(":/icons/tessarine-16.png");
    setWindowIcon(icon);
    // The client area at a fixed place on the screen.
    setGeometry(info::TwipsRect(2340, 1935, 5730, 2040));
    setFixedSize(size());

    // A white band across the top that overhangs both sides.
    Picture1 = new QWidget(this);
    Picture1->setObjectName("Picture1");
    Picture1->setGeometry(info::TwipsRect(-480, 0, 6255, 1095));
    QPalette white = Picture1->palette();
    white.setColor(QPalette::Window, QColor(255, 255, 255));
    Picture1->setPalette(white);
    Picture1->setAutoFillBackground(true);

    Label1 = new DropTargetLabel("Tessarine 1.0", Picture1, this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(info::TwipsRect(1440, 0, 5775, 735));
    Label1->setFont(info::LayoutFont("Verdana", 27.75, true, true));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label2 = new QLabel("by Lumograph", Picture1);
    Label2->setObjectName("Label2");
    Label2->setGeometry(info::TwipsRect(4440, 720, 1575, 255));
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Support = new DragSourceLabel(
        QString("For Support, Please Email ") + QString::fromUtf8(info::kSupportEmail), this);
    Support->setObjectName("Support");
    Support->setGeometry(info::TwipsRect(360, 1320, 4215, 615));
    Support->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Support->setWordWrap(true);
    Support->setAutoFillBackground(true);

    // Created after the support line, which it overlaps, so that it lies on
    // top of it.
    cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setGeometry(info::TwipsRect(4320, 1440, 1260, 345));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    // The button covers the support line's right end: its text wraps short
    // of the button instead of running under it.
    Support->setContentsMargins(0, 0, std::max(0, Support->geometry().right() - cmdOK->x() + 1), 0);

    cmdOK->setFocus();
    winId();  // the native window, to carry the hint from its first showing
    platform::KeepOutOfTaskbar(windowHandle());
}

void frmAbout::cmdOK_Click() {
    app::DefaultForm<frmAbout>::Unload();
}

void frmAbout::reject() {
    cmdOK_Click();
}

void frmAbout::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Window managers that offer a minimise button on every window (openbox)
    // offer one here too. Modal, out of the taskbar and without an owner to
    // come back with, a minimised box would leave the main window taking no
    // input and nothing to click: it is shown again at once.
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                showNormal();
                activateWindow();
            },
            Qt::QueuedConnection);
    }
}

void frmAbout::Label1_DragDrop(const QString& sourceName, float, float) {
    if (sourceName == QLatin1String("Support")) {
        // Returns when the picture window has been closed.
        app::DefaultForm<Form3>::Get().exec();
    }
}

void frmAbout::DragSupport(QPoint hotSpot) {
    auto* data = new QMimeData;
    data->setData(kControlMimeType, Support->objectName().toUtf8());
    QPointer<QDrag> drag = new QDrag(Support);
    drag->setMimeData(data);
    drag->setPixmap(DragOutline(Support->size()));
    drag->setHotSpot(hotSpot);

    pendingDrop_.reset();
    drag->exec(Qt::MoveAction);
    if (drag) {
        drag->deleteLater();
    }
    // The drop handler runs once the drag has ended, so that the window it
    // may open gets the mouse and keyboard to itself.
    if (pendingDrop_) {
        const Drop drop = *pendingDrop_;
        pendingDrop_.reset();
        Label1_DragDrop(drop.sourceName, static_cast<float>(drop.position.x()),
                        static_cast<float>(drop.position.y()));
    }
}

void frmAbout::RecordDropOnLabel1(const QString& sourceName, QPoint position) {
    pendingDrop_ = Drop{sourceName, position};
}

void Form1::mnuAbout_Click() {
    // Modal, without an owner; returns when the box has been closed.
    app::DefaultForm<frmAbout>::Get().exec();
}
