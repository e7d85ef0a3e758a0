#include "ui/main/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRadioButton>
#include <QWindow>

#include "base/rounding.h"
#include "platform/backend.h"
#include "platform/raster/gdi.h"
#include "ui/main/desktop_notice_line.h"

namespace {

Form1* gInstance = nullptr;

constexpr int kDesignClientWidth = 604;
constexpr int kDesignClientHeight = 398;

}  // namespace

Form1* Form1::Instance() {
    return gInstance;
}

Form1::Form1() {
    gInstance = this;
    setObjectName("Form1");
    setWindowTitle("Tessarine");
    QIcon icon(":/icons/tessarine.png");
    icon.addFile(":/icons/tessarine-16.png");
    setWindowIcon(icon);
    client_ = new QWidget(this);
    client_->setObjectName("Form1Client");
    setCentralWidget(client_);
    clientHost_ = std::make_unique<controls::qt::Host>(client_);
    buildControls();
    buildMenus();
    wire();
    buildHotKeys();
    client_->installEventFilter(this);
    resizeToDesignClientSize();
}

void Form1::resizeToDesignClientSize() {
    // The menu bar draws at its own height, not its size hint's: the layout
    // says what the client area gets, and the window makes up the rest.
    resize(kDesignClientWidth, kDesignClientHeight + menuBar()->sizeHint().height());
    if (QLayout* frame = layout()) {
        frame->activate();
    }
    const QSize missing = QSize(kDesignClientWidth, kDesignClientHeight) - client_->size();
    if (!missing.isNull()) {
        resize(size() + missing);
    }
}

Form1::~Form1() {
    if (gInstance == this) {
        gInstance = nullptr;
        ui::StopDesktopNotices();
    }
}

int Form1::ScaleWidth() const {
    return client_->width();
}
int Form1::ScaleHeight() const {
    return client_->height();
}

void Form1::buildControls() {
    Label1 = new QLabel("Current Resolution:", client_);
    Label1->setGeometry(8, 8, 97, 17);
    labRes = new QLabel("[Current Resolution]", client_);
    labRes->setGeometry(8, 24, 97, 17);
    labRes->setStyleSheet("color: rgb(0, 0, 128);");

    Frame2 = new QGroupBox(client_);
    Frame2->setObjectName("Frame2");
    Frame2->setGeometry(8, 48, 97, 65);
    Label5 = new QLabel("Preview Style", Frame2);
    Label5->setObjectName("Label5");
    Label5->setGeometry(0, 8, 89, 25);
    opStretch = new QRadioButton("Stretch to fit", Frame2);
    opStretch->setObjectName("opStretch");
    opStretch->setGeometry(0, 24, 89, 17);
    opStretch->setChecked(true);
    opActual = new QRadioButton("Actual Size", Frame2);
    opActual->setObjectName("opActual");
    opActual->setGeometry(0, 41, 97, 17);

    asPopup1 = std::make_unique<controls::PopupButton>(*clientHost_, "Capture Screen");
    asPopup1->setName("asPopup1");
    asPopup1->Move(0, 112, 113, 17);
    cmdCapSelection = std::make_unique<controls::PopupButton>(*clientHost_, "Capture Selection");
    cmdCapSelection->setName("cmdCapSelection");
    cmdCapSelection->Move(0, 136, 113, 17);
    cmdCrop = std::make_unique<controls::PopupButton>(*clientHost_, "Crop");
    cmdCrop->setName("cmdCrop");
    cmdCrop->Move(0, 160, 113, 17);
    asPopup2 = std::make_unique<controls::PopupButton>(*clientHost_, "Save");
    asPopup2->setName("asPopup2");
    asPopup2->Move(8, 352, 105, 17);

    picpreview = std::make_unique<controls::PictureBox>(*clientHost_);
    picpreview->setName("picpreview");
    picpreview->Move(120, 0, 473, 369);
    picpreview->setTabStop(true);
    // The preview only shows the capture, so it may scale smoothly.
    raster::SetStretchBltMode(picpreview->hDC(), raster::HALFTONE);
    CropBox = std::make_unique<controls::RectangleShape>(*picpreview);
    CropBox->setName("CropBox");
    CropBox->setBorderColor(0xFF0000);
    CropBox->setBorderWidth(2);

    StatusBar1 = std::make_unique<controls::StatusBar>(*clientHost_);
    StatusBar1->setName("StatusBar1");
    ui::ShowDesktopNoticesIn(StatusBar1.get());

    // Tab goes from the Actual Size option to the pane, then to Stretch.
    QWidget::setTabOrder(opActual, controls::qt::WidgetOf(*picpreview));
    QWidget::setTabOrder(controls::qt::WidgetOf(*picpreview), opStretch);
}

void Form1::buildMenus() {
    QMenuBar* bar = menuBar();
    mnuFile = bar->addMenu("&File");
    mnuSave = mnuFile->addAction("Save");
    mnuSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSaveAs = mnuFile->addAction("Save As...");
    mnusep = mnuFile->addSeparator();
    mnuExit = mnuFile->addAction("Exit");

    mnuEdit = bar->addMenu("&Edit");
    mnuCrop = mnuEdit->addAction(QString("Crop") + QString(16, QLatin1Char(' ')));
    mnuCopy = mnuEdit->addAction("Copy");
    // A window shortcut: a message box in front keeps its own Ctrl+C.
    mnuCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));

    mnuHotKeys = bar->addAction("HotKeys");

    mnuCapture = bar->addMenu("Capture");
    mnuScreen = mnuCapture->addAction("Screen");
    mnuselscreen = mnuCapture->addAction("Selection...");
    mnuWindow = mnuCapture->addAction("Window...");

    mnuHelp = bar->addMenu("&Help");
    mnuSupport = mnuHelp->addAction("Getting Support...");
    mnuAbout = mnuHelp->addAction("About...");
}

void Form1::wire() {
    connect(mnuSave, &QAction::triggered, this, [this] { mnuSave_Click(); });
    asPopup2->Click = [this](int) { mnuSave_Click(); };
    connect(mnuSaveAs, &QAction::triggered, this, [this] { mnuSaveAs_Click(); });
    connect(mnuExit, &QAction::triggered, this, [this] { mnuExit_Click(); });
    connect(mnuCrop, &QAction::triggered, this, [this] { cmdCrop_Click(); });
    connect(mnuCopy, &QAction::triggered, this, [this] { mnuCopy_Click(); });
    cmdCrop->Click = [this](int) { cmdCrop_Click(); };
    connect(mnuHotKeys, &QAction::triggered, this, [this] { mnuHotKeys_Click(); });
    connect(mnuScreen, &QAction::triggered, this, [this] { mnuScreen_Click(); });
    asPopup1->Click = [this](int) { mnuScreen_Click(); };
    connect(mnuselscreen, &QAction::triggered, this, [this] { mnuselscreen_Click(); });
    cmdCapSelection->Click = [this](int) { mnuselscreen_Click(); };
    connect(mnuWindow, &QAction::triggered, this, [this] { mnuWindow_Click(); });
    connect(mnuSupport, &QAction::triggered, this, [this] { mnuSupport_Click(); });
    connect(mnuAbout, &QAction::triggered, this, [this] { mnuAbout_Click(); });
    connect(opActual, &QRadioButton::clicked, this, [this] { opActual_Click(); });
    connect(opStretch, &QRadioButton::clicked, this, [this] { opStretch_Click(); });
    picpreview->MouseDown = [this](int button, int shift, float x, float y) {
        picpreview_MouseDown(button, shift, x, y);
    };
    picpreview->MouseMove = [this](int button, int shift, float x, float y) {
        picpreview_MouseMove(button, shift, x, y);
    };
    picpreview->MouseUp = [this](int button, int shift, float x, float y) {
        picpreview_MouseUp(button, shift, x, y);
    };

    for (QWidget* w : {static_cast<QWidget*>(client_), static_cast<QWidget*>(Frame2),
                       static_cast<QWidget*>(Label5)}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        // A move handled here must not travel on to the container as well.
        // A move over a control without a handler of its own (an option
        // button, the pane, a label) travels on to its container: that is
        // not a move over the container's own area, so it is left alone.
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (watched == Label5) {
            Label5_MouseMove();
            return true;
        }
        if (watched == Frame2) {
            if (!Frame2->childAt(at)) {
                Frame2_MouseMove();
            }
            return true;
        }
        if (watched == client_ && !client_->childAt(at)) {
            Form_MouseMove();
        }
    } else if (event->type() == QEvent::Resize && watched == client_) {
        Form_Resize();
    } else if (event->type() == QEvent::Expose && restorePlacePending_ &&
               watched == windowHandle() && windowHandle()->isExposed()) {
        restorePlacePending_ = false;
        restorePlace();
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::Form_Load() {
    show();
    picpreview->SetFocus();
    SizeLimit1.setHwnd(&window_);
    SizeLimit1.minwidth = static_cast<float>(ScaleWidth());
    SizeLimit1.maxwidth = 1024;
    SizeLimit1.minheight = static_cast<float>(ScaleHeight() + 50);
    SizeLimit1.maxheight = 768;
    SizeLimit1.setLimitSize(true);
    Form_Resize();
}

void Form1::Form_Resize() {
    // A size that would be negative (a minimised window) keeps the old one.
    const int paneWidth = ScaleWidth() - 122;
    const int paneHeight = ScaleHeight() - 20;
    if (paneWidth >= 0) {
        picpreview->Move(picpreview->Left(), picpreview->Top(), paneWidth, picpreview->Height());
    }
    if (paneHeight >= 0) {
        picpreview->Move(picpreview->Left(), picpreview->Top(), picpreview->Width(), paneHeight);
    }
    StatusBar1->Move(0, ScaleHeight() - controls::StatusBar::kHeight, ScaleWidth(),
                     controls::StatusBar::kHeight);
    RedrawPreviewAfterLayout();
}

void Form1::Form_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    SSHK->setHotKeyActive(false);
    WSHK->setHotKeyActive(false);
    VBHotKey1->setHotKeyActive(false);
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    // Closing the main window ends the program, even while one of its other
    // windows is still loaded but hidden.
    QApplication::quit();
}

void Form1::setVisible(bool visible) {
    // Where the desktop would hand a hidden window's place to the others,
    // a capture must show them where they were: the window stays there,
    // drawn see-through.
    if (steppedAside_ && (visible || unloaded_)) {
        steppedAside_ = false;
        platform::CurrentBackend()->stepBackInPlace(static_cast<platform::HWND>(winId()));
        if (visible) {
            return;
        }
    } else if (steppedAside_) {
        return;
    }
    if (!visible && isVisible() && !unloaded_ &&
        platform::CurrentBackend()->stepAsideInPlace(static_cast<platform::HWND>(winId()))) {
        steppedAside_ = true;
        return;
    }
    bool reshow = visible && !isVisible() && placeBeforeHide_.isValid();
    if (!visible && isVisible()) {
        placeBeforeHide_ = geometry();
        platform::CurrentBackend()->rememberWindowPlace(static_cast<platform::HWND>(winId()));
    }
    if (reshow &&
        platform::CurrentBackend()->restoreWindowPlace(static_cast<platform::HWND>(winId()))) {
        // The desktop puts it back itself, once it has mapped it.
        reshow = false;
    }
    if (reshow) {
        // Asked for by the program, the place goes with the window's size
        // hints when it maps: a window manager that otherwise places every
        // mapped window itself (fluxbox, just after the first expose) leaves
        // it there.
        if (QWindow* window = windowHandle()) {
            window->setPosition(placeBeforeHide_.topLeft());
        }
    }
    QMainWindow::setVisible(visible);
    if (reshow) {
        // The window manager places the window when it maps it, which is
        // before the window is first exposed: until then, every placement
        // that arrives is undone, however long the window manager takes.
        restorePlacePending_ = true;
        if (QWindow* window = windowHandle()) {
            window->installEventFilter(this);
        }
    }
}

void Form1::restorePlace() {
    if (geometry().topLeft() != placeBeforeHide_.topLeft()) {
        move(pos() + (placeBeforeHide_.topLeft() - geometry().topLeft()));
    }
}

void Form1::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (restorePlacePending_) {
        restorePlace();
    }
}

void Form1::mnuExit_Click() {
    QApplication::exit(0);
}
