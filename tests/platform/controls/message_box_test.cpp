#include "platform/controls/qt/message_box_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

namespace {

TEST(MessageBox, CtrlCCopiesTitleTextAndButtons) {
    controls::qt::MessageBoxWidget box(QMessageBox::Information, "Tessarine", "one \r\ntwo",
                                       nullptr);
    const QString want =
        "---------------------------\nTessarine\n---------------------------\n"
        "one \r\ntwo\n---------------------------\nOK   \n---------------------------\n";
    EXPECT_EQ(box.CopyText(), want);

    QApplication::clipboard()->setText("before");
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(&box, &copy);
    EXPECT_EQ(QApplication::clipboard()->text(), want);
}

}  // namespace
