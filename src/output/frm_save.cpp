#include "output/frm_save.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>

#include "output/picture_file.h"
#include "platform/controls/event_pump.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/qt/control_impl.h"
#include "platform/raster/raster.h"
#include "program/default_form.h"
#include "program/do_events.h"
#include "program/variables.h"

namespace {

// Design sizes, in pixels (twips / 15).
constexpr int kDesignClientWidth = 4680 / 15;
constexpr int kDesignClientHeight = 3090 / 15;
constexpr int kDesignPictureWidth = 3255 / 15;
constexpr int kDesignPictureHeight = 2055 / 15;

}  // namespace

output::WriteResult frmSave::lastWrite_;

// The window covers the screen only while the file is written. It goes past
// the window manager and never takes the keyboard: when a focused window
// vanishes this fast, a window manager's hand-back of the focus can come too
// late for the server, leaving the main window looking active but deaf to
// its keys.
frmSave::frmSave()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint) {
    setObjectName("frmSave");
    setWindowTitle("frmSave");
    resize(kDesignClientWidth, kDesignClientHeight);
    Picture1 = std::make_unique<controls::PictureBox>(host_);
    Picture1->setName("Picture1");
    Picture1->Move(0, 0, kDesignPictureWidth, kDesignPictureHeight);
}

output::WriteResult frmSave::ShowAndWrite() {
    if (frmSave* open = app::DefaultForm<frmSave>::IfLoaded()) {
        open->show();
        open->raise();
        return {false, output::FailureMessage(variables::SaveFileName,
                                              "another picture is still being saved")};
    }
    lastWrite_ = {false, output::FailureMessage(variables::SaveFileName,
                                                "the save window closed before writing")};
    app::DefaultForm<frmSave>::Get();
    return lastWrite_;
}

void frmSave::Form_Load() {
    // Each yield below may run other handlers, including a right-click that
    // unloads this window: after each one, stop if it has gone.
    QPointer<frmSave> self(this);
    const auto stillLoaded = [&self] {
        return self && app::DefaultForm<frmSave>::IfLoaded() == self.data();
    };
    // What is saved where is fixed now, in locals: the yields below may run
    // handlers that choose another name or format for a later save, or
    // unload (and delete) this window.
    const std::string path = variables::SaveFileName;
    const output::PictureFormat format = variables::SaveFileFormat;

    const int width = variables::CaptureWidth;
    const int height = variables::CaptureHeight;
    if (width <= 0 || height <= 0) {
        lastWrite_ = {false, output::FailureMessage(path, "the capture is empty")};
        app::DefaultForm<frmSave>::Unload();
        return;
    }
    Picture1->resizeToPixels(width, height);
    setGeometry(screen()->geometry());
    setWindowState(Qt::WindowMaximized);
    show();
    raise();
    controls::DoEvents();
    if (!stillLoaded()) {
        lastWrite_ = {false, output::FailureMessage(path, "the save window was closed first")};
        return;
    }

    const bool copied =
        raster::BitBlt(Picture1->hDC(), 0, 0, variables::CaptureWidth, variables::CaptureHeight,
                       variables::CaptureDC, 0, 0, raster::SRCCOPY);
    Picture1->Refresh();
    controls::DoEvents();
    if (!stillLoaded()) {
        lastWrite_ = {false, output::FailureMessage(path, "the save window was closed first")};
        return;
    }

    lastWrite_ = copied ? write(width, height, path, format)
                        : output::WriteResult{
                              false, output::FailureMessage(path, "the capture could not be read")};
    controls::DoEvents();
    if (stillLoaded()) {
        app::DefaultForm<frmSave>::Unload();
    }
}

output::WriteResult frmSave::write(int width, int height, const std::string& path,
                                   output::PictureFormat format) {
    const auto image = raster::ContextPixels(Picture1->hDC());
    if (!image || image->width != width || image->height != height) {
        return {false,
                output::FailureMessage(path, "no picture of " + std::to_string(width) + " x " +
                                                 std::to_string(height) + " pixels could be made")};
    }
    return output::WritePictureFile(
        path, {image->pixels, image->width, image->height, image->width}, format);
}

void frmSave::Form_MouseDown(int button, int, float, float) {
    if (button == 2) {
        app::DefaultForm<frmSave>::Unload();
    }
}

void frmSave::mousePressEvent(QMouseEvent* event) {
    Form_MouseDown(
        controls::qt::ButtonCode(event->button()), controls::qt::ShiftCode(event->modifiers()),
        static_cast<float>(event->position().x()), static_cast<float>(event->position().y()));
}

void frmSave::closeEvent(QCloseEvent* event) {
    event->ignore();
    app::DefaultForm<frmSave>::Unload();
}
