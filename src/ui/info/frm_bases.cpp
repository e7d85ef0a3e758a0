#include "ui/info/frm_bases.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>

#include "platform/x11/window_hints.h"
#include "program/default_form.h"
#include "ui/info/twips.h"
#include "ui/main/form1.h"

frmBases::frmBases() {
    setObjectName("frmBases");
    setWindowTitle("Form4");
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    QPalette black = palette();
    black.setColor(QPalette::Window, QColor(0, 0, 0));
    setPalette(black);
    setAutoFillBackground(true);
    // The design size; the window comes up maximized over it.
    resize(info::TwipsToPixels(4680), info::TwipsToPixels(3090));

    Label1 = new QLabel("All your bases are belong to us", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(info::TwipsRect(2160, 2520, 3855, 1695));
    Label1->setFont(info::LayoutFont("MS Sans Serif", 24, true, true));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label1->setPalette(red);
    Label1->installEventFilter(this);

    setWindowState(Qt::WindowMaximized);
    winId();  // the native window, to carry the hint from its first showing
    platform::KeepOutOfTaskbar(windowHandle());
}

void frmBases::Form_Click() {
    app::DefaultForm<frmBases>::Unload();
}

void frmBases::Label1_Click() {
    app::DefaultForm<frmBases>::Unload();
}

bool frmBases::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label1) {
        if (event->type() == QEvent::MouseButtonPress) {
            pressedOn_ = Label1;
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const bool click =
                pressedOn_ == Label1 && Label1->rect().contains(mouse->position().toPoint());
            pressedOn_ = nullptr;
            if (click) {
                Label1_Click();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmBases::mousePressEvent(QMouseEvent* event) {
    pressedOn_ = this;
    event->accept();
}

void frmBases::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressedOn_ == this && rect().contains(event->position().toPoint());
    pressedOn_ = nullptr;
    event->accept();
    if (click) {
        Form_Click();
    }
}

void frmBases::closeEvent(QCloseEvent* event) {
    event->accept();
    app::DefaultForm<frmBases>::Unload();
}

void Form1::VBHotKey1_HotKeyPressed() {
    // Modeless: the main window stays as it is and usable.
    frmBases& banner = app::DefaultForm<frmBases>::Get();
    banner.show();
    banner.raise();
    banner.activateWindow();
}
