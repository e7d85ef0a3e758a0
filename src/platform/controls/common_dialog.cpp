#include "platform/controls/common_dialog.h"

#include <QFileDialog>
#include <QStringList>

namespace controls {

CommonDialog::CommonDialog(QWidget* owner) : owner_(owner) {}

void CommonDialog::ShowSave() {
    const SaveRequest request{DialogTitle, QtNameFilter(Filter), FileName, FilterIndex};
    const std::optional<SaveChoice> chosen = chooser_ ? chooser_(request) : runQtDialog(request);
    FileName = chosen ? chosen->fileName : QString();
    if (chosen && chosen->filterIndex > 0) {
        FilterIndex = chosen->filterIndex;
    }
    if (FileName.isEmpty() && CancelError) {
        throw DialogCancelled();
    }
}

void CommonDialog::setSaveChooser(SaveChooser chooser) {
    chooser_ = std::move(chooser);
}

QString CommonDialog::QtNameFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the patterns from the description's last parentheses, so
        // a description that already shows them is complete as it is.
        const QString shown = QLatin1Char('(') + patterns + QLatin1Char(')');
        entries.append(description.endsWith(shown) ? description
                                                   : description + QLatin1Char(' ') + shown);
    }
    return entries.join(QStringLiteral(";;"));
}

std::optional<CommonDialog::SaveChoice> CommonDialog::runQtDialog(
    const SaveRequest& request) const {
    QFileDialog dialog(owner_, request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = request.nameFilter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(request.filterIndex - 1, filters.first()));
    }
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) {
        return std::nullopt;
    }
    return SaveChoice(files.first(),
                      static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1);
}

}  // namespace controls
