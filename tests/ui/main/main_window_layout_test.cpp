// The main window at its design size: the pane fills the client area less
// its margins, the size limits follow the client size, "Stretch to fit" is on.

#include <gtest/gtest.h>

#include <QLabel>

#include "platform/controls/picture_box.h"
#include "platform/controls/qt/control_impl.h"
#include "support/fake_screen.h"
#include "ui/main/form1.h"

namespace {

TEST(MainWindowLayout, DesignSizeGivesThePaneAndLimits) {
    testing_support::ScopedFakeScreen screen(1024, 768);
    Form1 form;
    form.Form_Load();
    EXPECT_EQ(form.SizeLimit1.minwidth, 604.0f);
    EXPECT_EQ(form.SizeLimit1.maxwidth, 1024.0f);
    EXPECT_EQ(form.SizeLimit1.maxheight, 768.0f);
    EXPECT_EQ(form.SizeLimit1.minheight, 448.0f);
    EXPECT_EQ(form.picpreview.Width(), form.ScaleWidth() - 122);
    EXPECT_EQ(form.picpreview.Height(), form.ScaleHeight() - 20);
    EXPECT_TRUE(form.opStretch.Value());
    EXPECT_FALSE(form.opActual.Value());
    // The labels' lines sit in the middle of their boxes, not at the top.
    for (const controls::Label* label : {&form.Label1, &form.labRes, &form.Label5}) {
        const auto* shown = static_cast<const QLabel*>(controls::qt::WidgetOf(*label));
        EXPECT_TRUE(shown->alignment() & Qt::AlignVCenter) << label->Caption();
    }
}

}  // namespace
