// The status-bar hint follows the mouse: on over "Preview Style", kept over
// controls without a hint of their own, off over the frame's own area and the
// window's bare surface.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "platform/controls/picture_box.h"
#include "platform/controls/qt/control_impl.h"
#include "platform/controls/status_bar.h"
#include "support/form1_fixture.h"

namespace {

using testing_support::Form1Test;

const QString kHint = "Lets you select how the preview box displays the screenshot preview";

void MoveOver(QWidget* widget, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

void MoveOver(const controls::Control& control, QPoint at) {
    MoveOver(controls::qt::WidgetOf(control), at);
}

class StatusHint : public Form1Test {
  protected:
    QString Hint() { return QString::fromStdString(form_->StatusBar1.Panels(1)->Text()); }
};

TEST_F(StatusHint, ControlsWithoutAHintOfTheirOwnKeepIt) {
    EXPECT_EQ(Hint(), "");
    MoveOver(form_->Label5, QPoint(10, 5));
    EXPECT_EQ(Hint(), kHint);

    // Moves over these travel on to their container; they change nothing.
    MoveOver(form_->opStretch, QPoint(10, 5));
    EXPECT_EQ(Hint(), kHint);
    MoveOver(form_->opActual, QPoint(10, 5));
    EXPECT_EQ(Hint(), kHint);
    MoveOver(form_->picpreview, QPoint(50, 50));
    EXPECT_EQ(Hint(), kHint);
    MoveOver(form_->Label1, QPoint(5, 5));
    EXPECT_EQ(Hint(), kHint);
    MoveOver(form_->StatusBar1, QPoint(50, 5));
    EXPECT_EQ(Hint(), kHint);

    // The frame's own area clears it.
    MoveOver(form_->Frame2, QPoint(93, 12));
    EXPECT_EQ(Hint(), "");

    // So does the window's bare surface.
    MoveOver(form_->Label5, QPoint(10, 5));
    ASSERT_EQ(Hint(), kHint);
    QWidget* client = controls::qt::ClientOf(*form_);
    MoveOver(client, QPoint(60, 250));
    EXPECT_EQ(Hint(), "");
}

}  // namespace
