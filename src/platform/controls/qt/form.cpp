#include <QApplication>
#include <QEventLoop>
#include <QIcon>
#include <QLayout>
#include <QPointer>
#include <QWindow>

#include "platform/controls/form.h"
#include "platform/controls/qt/form_window.h"

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
        case Form::Style::Borderless:
            break;
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
        window->setWindowTitle(
            QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
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
    if (client == window) {
        window->resize(width, height);
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
    if (QWidget* window = qt::WindowOf(*this)) {
        window->show();
    }
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

namespace qt {

QWidget* WindowOf(const Form& form) {
    return form.impl().widget;
}

QMainWindow* MainWindowOf(const Form& form) {
    return qobject_cast<QMainWindow*>(form.impl().widget.data());
}

}  // namespace qt
}  // namespace controls
