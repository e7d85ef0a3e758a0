#include "platform/controls/common_dialog.h"

#include <QFile>
#include <QFileDialog>
#include <QSettings>
#include <QStringList>

#include "platform/controls/qt/control_impl.h"

namespace controls {
namespace {

// The dialog is Qt's own, not the desktop's native one. It reads its
// history, last folder and view from a Qt settings file in the user's
// configuration folder, and writes them back when it closes. This program
// reads no settings and keeps no files of its own: the settings files are
// pointed at a place where no file can ever be made, not even by root. The
// dialog still opens on the last FileName, which it is given each time.
void KeepNoDialogSettings() {
    static const bool done = [] {
        const QString nowhere = QStringLiteral("/dev/null");
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
            QSettings::setPath(format, QSettings::UserScope, nowhere);
            QSettings::setPath(format, QSettings::SystemScope, nowhere);
        }
        return true;
    }();
    (void)done;
}

QString FromUtf8(std::string_view text) {
    return qt::Text(text);
}

}  // namespace

std::optional<CommonDialog::SaveChoice> CommonDialog::runDialog(const SaveRequest& request) const {
    KeepNoDialogSettings();
    QWidget* owner = owner_ ? qt::WidgetOf(*owner_) : nullptr;
    QFileDialog dialog(owner ? owner->window() : nullptr, FromUtf8(request.title));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters =
        FromUtf8(request.nameFilter).split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(request.filterIndex - 1, filters.first()));
    }
    if (!request.fileName.empty()) {
        dialog.selectFile(QFile::decodeName(request.fileName.c_str()));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) {
        return std::nullopt;
    }
    return SaveChoice(QFile::encodeName(files.first()).toStdString(),
                      static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1);
}

}  // namespace controls
