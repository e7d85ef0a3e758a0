// The main window as the user meets it, measured from the window itself
// against the design: a 604 x 398 client area, each control in its place,
// the preview pane filling the client area to its margins (120 on the left,
// 2 on the right, 20 at the bottom) as the window is resized, and the
// window, frame included, kept between 604 pixels wide and 1024 x 768.

#include <gtest/gtest.h>

#include <QLabel>

#include "platform/controls/picture_box.h"
#include "platform/controls/qt/form_window.h"
#include "support/fake_screen.h"
#include "ui/main/form1.h"

namespace {

// Where the control `name` lies in `client`, in the client's pixels.
QRect PlaceIn(const QWidget* client, const char* name) {
    const auto* control = client->findChild<const QWidget*>(name);
    return control ? QRect(control->mapTo(client, QPoint(0, 0)), control->size()) : QRect();
}

TEST(MainWindowLayout, ControlsSitWhereTheDesignPutsThem) {
    testing_support::ScopedFakeScreen screen(1024, 768);
    Form1 form;
    form.Form_Load();
    QWidget* window = controls::qt::WindowOf(form);
    const QWidget* client = controls::qt::ClientOf(form);
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->size(), QSize(604, 398));
    EXPECT_EQ(PlaceIn(client, "picpreview"), QRect(120, 0, 482, 378));
    EXPECT_EQ(PlaceIn(client, "asPopup1"), QRect(0, 112, 113, 17));
    EXPECT_EQ(PlaceIn(client, "cmdCapSelection"), QRect(0, 136, 113, 17));
    EXPECT_EQ(PlaceIn(client, "cmdCrop"), QRect(0, 160, 113, 17));
    EXPECT_EQ(PlaceIn(client, "asPopup2"), QRect(8, 352, 105, 17));
    EXPECT_EQ(PlaceIn(client, "opStretch"), QRect(8, 72, 89, 17));
    EXPECT_EQ(PlaceIn(client, "opActual"), QRect(8, 89, 97, 17));
    EXPECT_EQ(PlaceIn(client, "StatusBar1"), QRect(0, 377, 604, 21));
    EXPECT_TRUE(form.opStretch.Value());
    EXPECT_FALSE(form.opActual.Value());
    // The labels' lines sit in the middle of their boxes, not at the top.
    for (const controls::Label* label : {&form.Label1, &form.labRes, &form.Label5}) {
        const auto* shown = static_cast<const QLabel*>(controls::qt::WidgetOf(*label));
        EXPECT_TRUE(shown->alignment() & Qt::AlignVCenter) << label->Caption();
    }

    // As large as the window may be, then as small: the limits are on its
    // outer size, frame included; the pane ends 2 short of the client's
    // right edge and 20 above its bottom.
    window->resize(2000, 2000);
    EXPECT_EQ(window->frameGeometry().size(), QSize(1024, 768));
    EXPECT_EQ(PlaceIn(client, "picpreview"),
              QRect(120, 0, client->width() - 122, client->height() - 20));
    window->resize(100, 100);
    EXPECT_EQ(window->frameGeometry().width(), 604);
    EXPECT_EQ(PlaceIn(client, "picpreview"),
              QRect(120, 0, client->width() - 122, client->height() - 20));
}

}  // namespace
