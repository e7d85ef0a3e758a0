#include "platform/controls/common_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

namespace {

using controls::CommonDialog;

// The real dialog: Qt's own, in save mode, opening on the previous name,
// adding no suffix and asking nothing about existing files.
TEST(CommonDialogSave, RealDialogReturnsTheNameAsTyped) {
    CommonDialog dialog;
    const QString folder = QDir::tempPath();
    dialog.DialogTitle = "Save As";
    dialog.Filter = "Bitmap File (*.bmp)|*.bmp";
    dialog.FileName = (folder + "/previous.bmp").toStdString();
    QFileDialog* seen = nullptr;
    QStringList opened;
    bool native = true, confirms = true, saves = false;
    QString suffix = "unset", filter;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* fileDialog = qobject_cast<QFileDialog*>(w);
            if (!fileDialog || !fileDialog->isVisible() || seen) {
                continue;
            }
            seen = fileDialog;
            opened = fileDialog->selectedFiles();
            native = !fileDialog->testOption(QFileDialog::DontUseNativeDialog);
            confirms = !fileDialog->testOption(QFileDialog::DontConfirmOverwrite);
            saves = fileDialog->acceptMode() == QFileDialog::AcceptSave;
            suffix = fileDialog->defaultSuffix();
            filter = fileDialog->selectedNameFilter();
            fileDialog->selectFile(folder + "/typed-without-extension");
            QMetaObject::invokeMethod(fileDialog, "accept");
        }
    });
    poll.start();
    dialog.ShowSave();
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(opened, QStringList{folder + "/previous.bmp"});
    EXPECT_FALSE(native);
    EXPECT_FALSE(confirms);
    EXPECT_TRUE(saves);
    EXPECT_EQ(suffix, "");
    EXPECT_EQ(filter, "Bitmap File (*.bmp)");
    EXPECT_EQ(dialog.FileName, (folder + "/typed-without-extension").toStdString());
}

}  // namespace
