#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QIcon>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "platform/backend.h"
#include "platform/controls/form.h"
#include "platform/controls/qt/cover_window.h"
#include "platform/controls/qt/form_window.h"
#include "platform/x11/window_hints.h"

namespace controls {
namespace {

std::unique_ptr<Control::Impl> NewWindow(Form& form, Form::Style style) {
    switch (style) {
        case Form::Style::Sizable: {
            auto* window = new qt::FormWindow<QMainWindow>(form);
            auto impl = std::make_unique<Control::Impl>(window);
            auto* client = new QWidget(window);
            window->setCentralWidget(client);
            client->setMouseTracking(true);
            client->installEventFilter(window);
            impl->client = client;
            return impl;
        }
        case Form::Style::FixedDialog: {
            auto* window = new qt::FormWindow<QDialog>(form);
            window->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                   Qt::MSWindowsFixedSizeDialogHint);
            window->setMouseTracking(true);
            return std::make_unique<Control::Impl>(window);
        }
        case Form::Style::Overlay: {
            // Past the window manager, and never focused: when a focused
            // window vanishes this fast, a window manager's hand-back of the
            // focus can come too late for the server, leaving the window
            // under it looking active but deaf to its keys.
            auto* window = new qt::FormWindow<QWidget>(form);
            window->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                   Qt::X11BypassWindowManagerHint);
            window->setMouseTracking(true);
            return std::make_unique<Control::Impl>(window);
        }
        case Form::Style::Borderless:
            break;
        case Form::Style::CoverScreen: {
            // The window manager is bypassed: it would fit a full-screen
            // window to one monitor, where the window must cover all of
            // them. Not where only the window manager's windows get the
            // keyboard (KWin): a borderless window as large as the desktop
            // covers it all there too.
            auto* window = new qt::FormWindow<QWidget>(form);
            window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
            window->setWindowFlag(Qt::X11BypassWindowManagerHint,
                                  platform::CurrentBackend()->coverKeyboard() !=
                                      platform::Backend::CoverKeyboard::WindowManager);
            auto impl = std::make_unique<Control::Impl>(window);
            // The client area may reach past the window by a fraction of a
            // unit (see FinishCover).
            auto* client = new QWidget(window);
            client->setMouseTracking(true);
            client->installEventFilter(window);
            impl->client = client;
            return impl;
        }
    }
    auto* window = new qt::FormWindow<QWidget>(form);
    window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    window->setMouseTracking(true);
    return std::make_unique<Control::Impl>(window);
}

}  // namespace

Form::Form(Style style, const char* name) : Control(NewWindow(*this, style)) {
    setName(name);
    if (auto* link = dynamic_cast<qt::FormLink*>(qt::WindowOf(*this))) {
        link->attach(qt::ClientOf(*this));
    }
}

Form::~Form() {
    // The handlers go with the form; the window's last events are its own.
    if (auto* link = dynamic_cast<qt::FormLink*>(qt::WindowOf(*this))) {
        link->attach(nullptr);
    }
}

std::string Form::Caption() const {
    QWidget* window = qt::WindowOf(*this);
    return window ? window->windowTitle().toStdString() : std::string();
}

void Form::setCaption(std::string_view caption) {
    if (QWidget* window = qt::WindowOf(*this)) {
        window->setWindowTitle(qt::Text(caption));
    }
}

void Form::ShowProgramIcon() {
    if (QWidget* window = qt::WindowOf(*this)) {
        QIcon icon(":/icons/tessarine.png");
        icon.addFile(":/icons/tessarine-16.png");
        window->setWindowIcon(icon);
    }
}

int Form::ScaleWidth() const {
    QWidget* client = qt::ClientOf(*this);
    return client ? client->width() : 0;
}

int Form::ScaleHeight() const {
    QWidget* client = qt::ClientOf(*this);
    return client ? client->height() : 0;
}

void Form::setClientSize(int width, int height) {
    QWidget* window = qt::WindowOf(*this);
    QWidget* client = qt::ClientOf(*this);
    if (!window || !client) {
        return;
    }
    if (qobject_cast<QDialog*>(window)) {
        window->setFixedSize(width, height);
        return;
    }
    if (client == window) {
        window->resize(width, height);
        return;
    }
    if (!qt::MainWindowOf(*this)) {
        window->resize(width, height);
        client->setGeometry(0, 0, width, height);
        return;
    }
    // A menu bar draws at its own height, not its size hint's: the layout
    // says what the client area gets, and the window makes up the rest.
    if (QMainWindow* main = qt::MainWindowOf(*this); main && main->menuWidget()) {
        window->resize(width, height + main->menuWidget()->sizeHint().height());
    } else {
        window->resize(width, height);
    }
    if (QLayout* frame = window->layout()) {
        frame->activate();
    }
    const QSize missing = QSize(width, height) - client->size();
    if (!missing.isNull()) {
        window->resize(window->size() + missing);
    }
}

void Form::Show() {
    QWidget* window = qt::WindowOf(*this);
    if (!window) {
        return;
    }
    auto* link = dynamic_cast<qt::FormLink*>(window);
    if (!link || !link->coverArea() || window->isVisible()) {
        window->show();
        return;
    }
    window->show();
    // Showing writes the window's state afresh.
    platform::KeepOutOfTaskbar(window->windowHandle());
    qt::FinishCover(window, qt::ClientOf(*this), *link->coverArea());
}

void Form::Hide() {
    if (QWidget* window = qt::WindowOf(*this)) {
        window->hide();
    }
}

void Form::ShowModal() {
    QPointer<QWidget> window = qt::WindowOf(*this);
    if (!window) {
        return;
    }
    if (auto* dialog = qobject_cast<QDialog*>(window.data())) {
        dialog->exec();
        return;
    }
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    QEventLoop loop;
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    while (window && window->isVisible()) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void Form::Activate() {
    if (QWidget* window = qt::WindowOf(*this)) {
        window->raise();
        window->activateWindow();
    }
}

void Form::BringToFront() {
    if (QWidget* window = qt::WindowOf(*this)) {
        window->raise();
    }
}

bool Form::Minimized() const {
    QWidget* window = qt::WindowOf(*this);
    return window && window->isMinimized();
}

void Form::Restore() {
    if (QWidget* window = qt::WindowOf(*this)) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    }
}

unsigned long Form::WindowId() const {
    QWidget* window = qt::WindowOf(*this);
    return window && window->testAttribute(Qt::WA_WState_Created)
               ? static_cast<unsigned long>(window->winId())
               : 0;
}

void Form::setKeepPlaceWhenHidden(bool keep) {
    if (auto* link = dynamic_cast<qt::FormLink*>(qt::WindowOf(*this))) {
        link->setKeepPlace(keep);
    }
}

bool Form::HasWindow() const {
    return qt::WindowOf(*this) != nullptr;
}

void Form::setBackColor(std::uint32_t rgb) {
    if (QWidget* client = qt::ClientOf(*this)) {
        QPalette palette = client->palette();
        palette.setColor(QPalette::Window, QColor::fromRgb(rgb & 0xFFFFFF));
        client->setPalette(palette);
        client->setAutoFillBackground(true);
    }
}

void Form::setOwner(const Form& owner) {
    qt::SetOwnerWindow(*this, qt::WindowOf(owner));
}

void Form::KeepOutOfTaskbar() {
    QWidget* window = qt::WindowOf(*this);
    if (!window) {
        return;
    }
    window->winId();  // the native window, to carry the hint from its first showing
    platform::KeepOutOfTaskbar(window->windowHandle());
}

void Form::CenterOnScreen() {
    if (auto* link = dynamic_cast<qt::FormLink*>(qt::WindowOf(*this))) {
        link->setCentreOnScreen();
    }
}

void Form::Maximize() {
    if (QWidget* window = qt::WindowOf(*this)) {
        if (window->windowFlags().testFlag(Qt::X11BypassWindowManagerHint)) {
            // No window manager sizes it.
            window->setGeometry(window->screen()->geometry());
        }
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    }
}

void Form::CoverScreenArea(const ScreenArea& area) {
    QWidget* window = qt::WindowOf(*this);
    auto* link = dynamic_cast<qt::FormLink*>(window);
    if (!link || !qt::ClientOf(*this)) {
        return;
    }
    link->setCoverArea(area);
    qt::PrepareCover(window, qt::ClientOf(*this), area);
}

void Form::TakeKeyboard() {
    QWidget* window = qt::WindowOf(*this);
    if (!window) {
        return;
    }
    window->raise();
    if (platform::CurrentBackend()->coverKeyboard() == platform::Backend::CoverKeyboard::Grab) {
        window->grabKeyboard();
    } else {
        window->activateWindow();
    }
}

void Form::ReleaseKeyboard() {
    if (QWidget* window = qt::WindowOf(*this)) {
        window->releaseKeyboard();
    }
}

namespace qt {

void CentreOnScreen(QWidget* window) {
    QScreen* screen = QGuiApplication::primaryScreen()->virtualSiblings().size() > 1
                          ? QGuiApplication::screenAt(QCursor::pos())
                          : window->screen();
    if (!screen) {
        return;
    }
    const QRect desk = screen->availableGeometry();
    // The frame's size, from the program's windows already shown; a
    // typical one when they tell nothing believable.
    int frameWidth = 0;
    int frameHeight = 0;
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (frameWidth != 0 && frameHeight != 0) {
            break;
        }
        if (other->isVisible()) {
            frameWidth = std::max(frameWidth, other->geometry().x() - other->x());
            frameHeight = std::max(frameHeight, other->geometry().y() - other->y());
        }
    }
    if (frameWidth == 0 || frameHeight == 0 || frameWidth >= 10 || frameHeight >= 40) {
        frameWidth = 10;
        frameHeight = 40;
    }
    QPoint at(desk.x() + desk.width() / 2 - window->width() / 2 - frameWidth,
              desk.y() + desk.height() / 2 - window->height() / 2 - frameHeight);
    if (at.x() + frameWidth + window->width() > desk.x() + desk.width()) {
        at.setX(desk.x() + desk.width() - window->width() - frameWidth);
    }
    if (at.y() + frameHeight + window->height() > desk.y() + desk.height()) {
        at.setY(desk.y() + desk.height() - window->height() - frameHeight);
    }
    at.setX(std::max(at.x(), desk.x()));
    at.setY(std::max(at.y(), desk.y()));
    window->move(at);
    // Placed, but not by the user.
    window->setAttribute(Qt::WA_Moved, false);
}

void SetOwnerWindow(Form& form, QWidget* owner) {
    QWidget* window = WindowOf(form);
    if (window && owner) {
        window->setParent(owner->window(), window->windowFlags());
    }
}

QWidget* WindowOf(const Form& form) {
    return form.impl().widget;
}

QMainWindow* MainWindowOf(const Form& form) {
    return qobject_cast<QMainWindow*>(form.impl().widget.data());
}

}  // namespace qt
}  // namespace controls
