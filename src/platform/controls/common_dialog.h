#pragma once
// The file dialog control: set its properties, call ShowSave, read FileName.
// One instance keeps its properties between uses, so FileName still holds
// the previous choice the next time the dialog opens, and the dialog opens
// on it.
//
// The dialog is Qt's own (not the desktop's native one), in save mode,
// without an overwrite confirmation and without a default suffix: the name
// comes back exactly as the user typed or picked it. It reads and writes no
// settings file of Qt's.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <stdexcept>

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
        QString title;
        QString nameFilter;  // Qt's form: "Description (*.ext)" entries joined by ";;"
        QString fileName;    // selected when the dialog opens, unless empty
    };
    // Shows a save dialog and returns the chosen path, or nothing when the
    // user cancels.
    using SaveChooser = std::function<std::optional<QString>(const SaveRequest&)>;

    explicit CommonDialog(QWidget* owner = nullptr);

    QString DialogTitle;
    bool CancelError = false;
    // "Description|pattern" pairs joined by bars, patterns separated by ";".
    QString Filter;
    QString FileName;

    // Modal. Afterwards FileName is the chosen path, or empty if the user
    // cancelled (which throws DialogCancelled if CancelError is set).
    void ShowSave();

    // Replaces the real dialog, for tests. An empty chooser restores it.
    void setSaveChooser(SaveChooser chooser);

    // "Bitmap File (*.bmp)|*.bmp" -> "Bitmap File (*.bmp)".
    static QString QtNameFilter(const QString& filter);

  private:
    std::optional<QString> runQtDialog(const SaveRequest& request) const;

    QPointer<QWidget> owner_;
    SaveChooser chooser_;
};

}  // namespace controls
