// The About box, the banner and the "Camel" window, their handlers driven
// through the recording controls.

#include <gtest/gtest.h>

#include "fake_controls/recording.h"
#include "program/default_form.h"
#include "ui/info/form3.h"
#include "ui/info/frm_about.h"
#include "ui/info/frm_bases.h"
#include "ui/info/support_message.h"

namespace {

struct Place {
    int left, top, width, height;
    friend bool operator==(const Place&, const Place&) = default;
};
Place PlaceOf(const controls::Control& control) {
    return {control.Left(), control.Top(), control.Width(), control.Height()};
}
bool Loaded(const controls::Form* form) {
    return app::DefaultForm<frmAbout>::IfLoaded() == form ||
           app::DefaultForm<frmBases>::IfLoaded() == form ||
           app::DefaultForm<Form3>::IfLoaded() == form;
}

class InfoWindowsOnFake : public ::testing::Test {
  protected:
    void TearDown() override {
        app::DefaultForm<frmAbout>::Unload();
        app::DefaultForm<frmBases>::Unload();
        app::DefaultForm<Form3>::Unload();
        fake::RunPosted();
        EXPECT_TRUE(fake::whenModal.empty()) << "a modal form expected was not shown";
        fake::whenModal.clear();
    }
};

TEST_F(InfoWindowsOnFake, AboutBoxIsLaidOutInTwipsAndOkTheCloseBoxAndEnterEscUnloadIt) {
    frmAbout& about = app::DefaultForm<frmAbout>::Get();
    EXPECT_EQ(about.impl().style, controls::Form::Style::FixedDialog);
    EXPECT_EQ(about.Caption(), "Tessarine");
    EXPECT_TRUE(about.impl().programIcon && about.impl().keptOutOfTaskbar);
    EXPECT_EQ(PlaceOf(about), (Place{156, 129, 382, 136}));
    EXPECT_EQ(PlaceOf(about.Picture1), (Place{-32, 0, 417, 73}));
    EXPECT_EQ(about.Picture1.impl().backColor, 0xFFFFFFu);
    EXPECT_EQ(PlaceOf(about.Label1), (Place{96, 0, 385, 49}));
    const controls::Font& title = about.Label1.impl().font;
    EXPECT_TRUE(title.family == "Verdana" && title.points == 27.75 && title.bold && title.italic);
    EXPECT_EQ(PlaceOf(about.Label2), (Place{296, 48, 105, 17}));
    EXPECT_EQ(about.Support.Caption(),
              std::string("For Support, Please Email ") + info::kSupportEmail);
    EXPECT_EQ(PlaceOf(about.Support), (Place{24, 88, 281, 41}));
    EXPECT_TRUE(about.Support.impl().wordWrap);
    EXPECT_EQ(about.Support.impl().dragMode, controls::DragMode::Automatic);
    // Its text wraps short of the button lying over its end.
    EXPECT_EQ(about.Support.impl().textMargins[2], 24 + 281 - 288);
    EXPECT_EQ(PlaceOf(about.cmdOK), (Place{288, 96, 84, 23}));
    EXPECT_TRUE(about.cmdOK.impl().isDefault && about.cmdOK.impl().isCancel);
    EXPECT_EQ(fake::focus, &about.cmdOK);

    // OK (Enter and Esc press it), then the close box, each on a box opened
    // afresh.
    for (bool viaCloseBox : {false, true}) {
        frmAbout* shown = nullptr;
        fake::whenModal.push_back([&](controls::Form& form) {
            shown = app::DefaultForm<frmAbout>::IfLoaded();
            EXPECT_EQ(&form, shown);
            viaCloseBox ? fake::CloseBox(form) : shown->cmdOK.Click();
        });
        app::DefaultForm<frmAbout>::Get().ShowModal();
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(app::DefaultForm<frmAbout>::IfLoaded(), nullptr) << viaCloseBox;
        fake::RunPosted();
    }
}

TEST_F(InfoWindowsOnFake, OnlyTheSupportLineDroppedOnTheTitleOpensTheCamelWindowModal) {
    frmAbout& about = app::DefaultForm<frmAbout>::Get();
    about.Show();
    // Names are compared exactly.
    for (const char* name : {"support", "SUPPORT", "Support ", "Label2", ""}) {
        about.Label1.DragDrop(name, 0, 0);
        EXPECT_EQ(app::DefaultForm<Form3>::IfLoaded(), nullptr) << name;
    }
    // The handler returns once the picture window is closed; the About box
    // stays. It can be repeated.
    for (int round = 0; round < 2; ++round) {
        fake::whenModal.push_back([](controls::Form& form) {
            EXPECT_EQ(&form, app::DefaultForm<Form3>::IfLoaded());
            fake::CloseBox(form);
        });
        about.Label1.DragDrop("Support", 10, 10);
        EXPECT_TRUE(fake::whenModal.empty()) << round;
        EXPECT_EQ(app::DefaultForm<Form3>::IfLoaded(), nullptr);
        EXPECT_EQ(app::DefaultForm<frmAbout>::IfLoaded(), &about);
        EXPECT_TRUE(about.Visible());
        fake::RunPosted();
    }
}

TEST_F(InfoWindowsOnFake, AMinimisedAboutBoxComesBackOnceControlIsBackInTheEventLoop) {
    frmAbout& about = app::DefaultForm<frmAbout>::Get();
    about.impl().calls.clear();
    about.WindowStateChanged();  // not minimised: nothing to do
    about.impl().minimized = true;
    about.WindowStateChanged();
    EXPECT_TRUE(about.impl().calls.empty()) << "restored inside the state change";
    fake::RunPosted();
    EXPECT_EQ(about.impl().calls, (std::vector<std::string>{"Restore", "Activate"}));

    // A box unloaded meanwhile is left alone.
    app::DefaultForm<frmAbout>::Get().impl().minimized = true;
    app::DefaultForm<frmAbout>::Get().WindowStateChanged();
    app::DefaultForm<frmAbout>::Unload();
    fake::RunPosted();
    EXPECT_EQ(app::DefaultForm<frmAbout>::IfLoaded(), nullptr);
}

TEST_F(InfoWindowsOnFake, TheBannerFillsTheScreenAndAnyClickOrTheCloseBoxUnloadsIt) {
    frmBases& banner = app::DefaultForm<frmBases>::Get();
    EXPECT_EQ(banner.impl().style, controls::Form::Style::Borderless);
    EXPECT_EQ(banner.Caption(), "Form4");
    EXPECT_EQ(banner.impl().backColor, 0x000000u);
    EXPECT_TRUE(banner.impl().maximized && banner.impl().keptOutOfTaskbar);
    EXPECT_EQ(banner.Label1.Caption(), "All your bases are belong to us");
    EXPECT_EQ(PlaceOf(banner.Label1), (Place{144, 168, 257, 113}));
    EXPECT_EQ(banner.Label1.impl().foreColor, 0xFF0000u);
    const controls::Font& font = banner.Label1.impl().font;
    EXPECT_TRUE(font.points == 24 && font.bold && font.italic && banner.Label1.impl().wordWrap);

    for (auto close : {+[](frmBases& b) { b.Click(); }, +[](frmBases& b) { b.Label1.Click(); },
                       +[](frmBases& b) { fake::CloseBox(b); }}) {
        frmBases& shown = app::DefaultForm<frmBases>::Get();
        shown.Show();
        close(shown);
        EXPECT_FALSE(Loaded(&shown));
        EXPECT_FALSE(shown.Visible());
        fake::RunPosted();
    }
}

TEST_F(InfoWindowsOnFake, TheCamelWindowShowsItsPictureInABoxAndTheCloseBoxUnloadsIt) {
    Form3& camel = app::DefaultForm<Form3>::Get();
    EXPECT_EQ(camel.impl().style, controls::Form::Style::Sizable);
    EXPECT_EQ(camel.Caption(), "Camel");
    EXPECT_EQ(camel.ScaleWidth(), 320);  // 4800 x 4470 twips
    EXPECT_EQ(camel.ScaleHeight(), 298);
    EXPECT_TRUE(camel.impl().centered);
    EXPECT_EQ(PlaceOf(camel.Picture1), (Place{8, 8, 305, 281}));
    EXPECT_EQ(camel.Picture1.impl().picture, Form3::kPicture);
    camel.Show();
    fake::CloseBox(camel);
    EXPECT_FALSE(Loaded(&camel));
}

}  // namespace
