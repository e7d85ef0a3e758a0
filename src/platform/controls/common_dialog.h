#pragma once
// The file dialog control: set its properties, call ShowSave, read FileName.
// One instance keeps its properties between uses, so FileName still holds
// the previous choice the next time the dialog opens, and the dialog opens
// on it.
//
// The dialog is in save mode, without an overwrite confirmation and without
// a default suffix: the name comes back exactly as the user typed or picked
// it. It reads and writes no settings file of the toolkit's.

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/controls/control.h"

namespace controls {

// Thrown by ShowSave when the user cancels and CancelError is true.
class DialogCancelled : public std::runtime_error {
  public:
    DialogCancelled() : std::runtime_error("Cancel was selected.") {}
};

class CommonDialog {
  public:
    // What the save dialog is opened with.
    struct SaveRequest {
        std::string title;
        std::string nameFilter;  // "Description (*.ext)" entries joined by ";;"
        std::string fileName;    // selected when the dialog opens, unless empty (a path)
        int filterIndex = 1;     // the filter selected when it opens, from 1
    };
    // What the user chose: a path, and the filter selected then (from 1; 0
    // for the one the dialog opened with).
    struct SaveChoice {
        SaveChoice(std::string name, int filter = 0)
            : fileName(std::move(name)), filterIndex(filter) {}
        std::string fileName;
        int filterIndex = 0;
    };
    // Shows a save dialog and returns the choice, or nothing when the user
    // cancels.
    using SaveChooser = std::function<std::optional<SaveChoice>(const SaveRequest&)>;

    // The dialog shows over `owner`'s window (none: a window of its own).
    explicit CommonDialog(const Control* owner = nullptr);

    std::string DialogTitle;
    bool CancelError = false;
    // "Description|pattern" pairs joined by bars, patterns separated by ";".
    std::string Filter;
    // A path as the file system takes it (its bytes, not necessarily UTF-8).
    std::string FileName;
    // Which of Filter's entries is selected, from 1: the dialog opens on it
    // and ShowSave leaves the user's choice here.
    int FilterIndex = 1;

    // Modal. Afterwards FileName is the chosen path, or empty if the user
    // cancelled (which throws DialogCancelled if CancelError is set).
    void ShowSave();

    // Replaces the real dialog, for tests. An empty chooser restores it.
    void setSaveChooser(SaveChooser chooser);

    // "Bitmap File (*.bmp)|*.bmp" -> "Bitmap File (*.bmp)".
    static std::string DialogNameFilter(std::string_view filter);

  private:
    // The toolkit's dialog.
    std::optional<SaveChoice> runDialog(const SaveRequest& request) const;

    const Control* owner_;
    SaveChooser chooser_;
};

}  // namespace controls
