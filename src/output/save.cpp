// Save and Save As: ask for a file name when needed and let the save window
// write the capture buffer there.

#include <QFile>
#include <QMessageBox>
#include <deque>

#include "app/variables.h"
#include "platform/raster/handle_release.h"
#include "output/frm_save.h"
#include "platform/controls/common_dialog.h"
#include "platform/controls/message_box.h"
#include "platform/raster/raster.h"
#include "ui/main/form1.h"

namespace {

const QString kTitle = QStringLiteral("Tessarine");
// The dialog's second filter.
constexpr int kPngFilterIndex = 2;

// Before the first capture, or after one of no size, there is no picture:
// say so instead of asking for a name or writing an empty file.
bool RefuseEmptyCapture(QWidget* parent) {
    QString reason;
    if (!variables::CaptureDC) {
        reason = QStringLiteral("nothing has been captured yet.");
    } else if (variables::CaptureWidth <= 0 || variables::CaptureHeight <= 0) {
        reason = QStringLiteral("the capture is empty (%1 x %2 pixels).")
                     .arg(variables::CaptureWidth)
                     .arg(variables::CaptureHeight);
    } else if (!raster::ContextPixels(variables::CaptureDC)) {
        reason = QStringLiteral("the capture holds no image.");
    } else {
        return false;
    }
    controls::ShowMessage(parent, QMessageBox::Warning, kTitle,
                          QStringLiteral("There is no picture to save: ") + reason);
    return true;
}

// The dialog sequence. True when the user chose a name.
bool AskSaveName(controls::CommonDialog& dialog) {
    dialog.DialogTitle = QStringLiteral("Save As");
    dialog.CancelError = false;
    dialog.Filter = QStringLiteral("Bitmap File (*.bmp)|*.bmp|PNG Image (*.png)|*.png");
    dialog.ShowSave();
    return !dialog.FileName.isEmpty();
}

// Shows the save window and tells the user if the write failed.
bool WriteCapture(QWidget* parent) {
    const output::WriteResult result = frmSave::ShowAndWrite();
    if (!result.ok) {
        controls::ShowMessage(parent, QMessageBox::Critical, kTitle,
                              QString::fromLocal8Bit(result.message));
    }
    return result.ok;
}

// Save As, and Save when no name is known for this capture. A failed write
// still keeps the chosen name, for the dialog to offer again, but does not
// make it the capture's known file.
void SaveUnderNewName(Form1& form) {
    if (!AskSaveName(form.CommonDialog1)) {
        return;
    }
    variables::SaveFileName = QFile::encodeName(form.CommonDialog1.FileName).toStdString();
    variables::SaveFileFormat = form.CommonDialog1.FilterIndex == kPngFilterIndex
                                    ? output::PictureFormat::Png
                                    : output::PictureFormat::Bitmap;
    if (WriteCapture(&form)) {
        variables::SaveNameKnown = true;
    }
}

enum class SaveCommand { Save, SaveAs };

void Run(Form1& form, SaveCommand command) {
    raster::OperationScope operation;
    if (RefuseEmptyCapture(&form)) {
        return;
    }
    if (command == SaveCommand::Save && variables::SaveNameKnown) {
        WriteCapture(&form);
        return;
    }
    SaveUnderNewName(form);
}

// A save yields to the event loop while its window is up, so Save or
// Save As can be chosen again before its file is written. Such a command
// waits until the save under way has finished, then runs as it would have
// on its own: a Save then writes silently to the name just chosen, and a
// Save As asks. Repeated Saves while waiting are one.
bool saving = false;
std::deque<SaveCommand> waiting;

void RunOrWait(Form1& form, SaveCommand command) {
    if (saving) {
        if (command == SaveCommand::SaveAs || waiting.empty() || waiting.back() != command) {
            waiting.push_back(command);
        }
        return;
    }
    struct Saving {
        Saving() { saving = true; }
        ~Saving() {
            saving = false;
            waiting.clear();
        }
    } scope;
    Run(form, command);
    while (!waiting.empty()) {
        const SaveCommand next = waiting.front();
        waiting.pop_front();
        Run(form, next);
    }
}

}  // namespace

void Form1::mnuSave_Click() {
    RunOrWait(*this, SaveCommand::Save);
}

void Form1::mnuSaveAs_Click() {
    RunOrWait(*this, SaveCommand::SaveAs);
}
