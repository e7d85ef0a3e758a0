// Save and Save As: ask for a file name when needed and let the save window
// write the capture buffer there.

#include <cctype>
#include <deque>
#include <string>

#include "output/frm_save.h"
#include "platform/controls/common_dialog.h"
#include "platform/controls/message_box.h"
#include "platform/raster/handle_release.h"
#include "platform/raster/raster.h"
#include "program/variables.h"
#include "ui/main/form1.h"

namespace {

constexpr const char* kTitle = "Tessarine";
// The dialog's filters, from 1.
constexpr int kPngFilterIndex = 2;
constexpr int kJpegFilterIndex = 3;

// The type chosen under "Files of type".
output::PictureFormat ChosenType(int filterIndex) {
    switch (filterIndex) {
        case kPngFilterIndex:
            return output::PictureFormat::Png;
        case kJpegFilterIndex:
            return output::PictureFormat::Jpeg;
        default:
            return output::PictureFormat::Bitmap;
    }
}

// Before the first capture, or after one of no size, there is no picture:
// say so instead of asking for a name or writing an empty file.
bool RefuseEmptyCapture(const controls::Control* owner) {
    std::string reason;
    if (!variables::CaptureDC) {
        reason = "nothing has been captured yet.";
    } else if (variables::CaptureWidth <= 0 || variables::CaptureHeight <= 0) {
        reason = "the capture is empty (" + std::to_string(variables::CaptureWidth) + " x " +
                 std::to_string(variables::CaptureHeight) + " pixels).";
    } else if (!raster::ContextPixels(variables::CaptureDC)) {
        reason = "the capture holds no image.";
    } else {
        return false;
    }
    controls::ShowMessage(owner, controls::MessageIcon::Warning, kTitle,
                          "There is no picture to save: " + reason);
    return true;
}

// The dialog sequence. True when the user chose a name.
bool AskSaveName(controls::CommonDialog& dialog) {
    dialog.DialogTitle = "Save As";
    dialog.CancelError = false;
    dialog.Filter =
        "Bitmap File (*.bmp)|*.bmp|PNG Image (*.png)|*.png|"
        "JPEG Image (*.jpg *.jpeg)|*.jpg;*.jpeg";
    dialog.ShowSave();
    return !dialog.FileName.empty();
}

// Shows the save window and tells the user if the write failed.
bool WriteCapture(const controls::Control* owner) {
    const output::WriteResult result = frmSave::ShowAndWrite();
    if (!result.ok) {
        // The line as standard error would say it, as a sentence.
        std::string sentence = result.message;
        if (!sentence.empty()) {
            sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
        }
        controls::ShowMessage(owner, controls::MessageIcon::Critical, kTitle, sentence + ".");
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
    variables::SaveFileName = form.CommonDialog1.FileName;
    // A name ending in an extension of a kind written here gets that kind,
    // whatever type is chosen; any other name gets the chosen type.
    variables::SaveFileFormat =
        output::FormatForFile(variables::SaveFileName, ChosenType(form.CommonDialog1.FilterIndex));
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
