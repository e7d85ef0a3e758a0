#include "output/frm_save.h"

#include "output/picture_file.h"
#include "platform/controls/event_pump.h"
#include "platform/raster/raster.h"
#include "program/default_form.h"
#include "program/variables.h"

namespace {

// Design sizes, in pixels (twips / 15).
constexpr int kDesignClientWidth = 4680 / 15;
constexpr int kDesignClientHeight = 3090 / 15;
constexpr int kDesignPictureWidth = 3255 / 15;
constexpr int kDesignPictureHeight = 2055 / 15;

}  // namespace

output::WriteResult frmSave::lastWrite_;

// The window covers the screen only while the file is written, and never
// takes the keyboard (see Style::Overlay).
frmSave::frmSave() : Form(Style::Overlay, "frmSave") {
    setCaption("frmSave");
    setClientSize(kDesignClientWidth, kDesignClientHeight);
    MouseDown = [this](int button, int shift, float x, float y) {
        Form_MouseDown(button, shift, x, y);
    };
    QueryUnload = [] {
        app::DefaultForm<frmSave>::Unload();
        return false;
    };
    Picture1.setName("Picture1");
    Picture1.Move(0, 0, kDesignPictureWidth, kDesignPictureHeight);
}

frmSave::~frmSave() {
    *alive_ = false;
}

output::WriteResult frmSave::ShowAndWrite() {
    if (frmSave* open = app::DefaultForm<frmSave>::IfLoaded()) {
        open->Show();
        open->BringToFront();
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
    const std::shared_ptr<bool> alive = alive_;
    const auto stillLoaded = [this, alive] {
        return *alive && app::DefaultForm<frmSave>::IfLoaded() == this;
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
    Picture1.resizeToPixels(width, height);
    Maximize();
    Show();
    BringToFront();
    controls::DoEvents();
    if (!stillLoaded()) {
        lastWrite_ = {false, output::FailureMessage(path, "the save window was closed first")};
        return;
    }

    const bool copied =
        raster::BitBlt(Picture1.hDC(), 0, 0, variables::CaptureWidth, variables::CaptureHeight,
                       variables::CaptureDC, 0, 0, raster::SRCCOPY);
    Picture1.Refresh();
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
    const auto image = raster::ContextPixels(Picture1.hDC());
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
