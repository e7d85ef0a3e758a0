#include "ui/info/frm_about.h"

#include <algorithm>

#include "platform/controls/event_pump.h"
#include "program/default_form.h"
#include "ui/info/form3.h"
#include "ui/info/support_message.h"
#include "ui/info/twips.h"
#include "ui/main/form1.h"

frmAbout::frmAbout() : Form(Style::FixedDialog, "frmAbout") {
    setCaption("Tessarine");
    ShowProgramIcon();
    // The client area at a fixed place on the screen.
    info::MoveInTwips(*this, 2340, 1935, 5730, 2040);
    setClientSize(info::TwipsToPixels(5730), info::TwipsToPixels(2040));
    KeepOutOfTaskbar();
    QueryUnload = [this] {
        cmdOK_Click();
        return false;
    };
    WindowStateChanged = [this] { Form_WindowStateChanged(); };

    // A white band across the top that overhangs both sides.
    Picture1.setName("Picture1");
    info::MoveInTwips(Picture1, -480, 0, 6255, 1095);
    Picture1.setBackColor(0xFFFFFF);

    Label1.setName("Label1");
    info::MoveInTwips(Label1, 1440, 0, 5775, 735);
    Label1.setFont({"Verdana", 27.75, true, true});
    Label1.DragDrop = [this](const std::string& sourceName, float x, float y) {
        Label1_DragDrop(sourceName, x, y);
    };

    Label2.setName("Label2");
    info::MoveInTwips(Label2, 4440, 720, 1575, 255);

    Support.setName("Support");
    std::string support = "For Support, Please Email ";
    support += info::kSupportEmail;
    Support.setCaption(support);
    info::MoveInTwips(Support, 360, 1320, 4215, 615);
    Support.setWordWrap(true);
    Support.setDragMode(controls::DragMode::Automatic);

    cmdOK.setName("cmdOK");
    info::MoveInTwips(cmdOK, 4320, 1440, 1260, 345);
    cmdOK.setDefault(true);
    cmdOK.setCancel(true);
    cmdOK.Click = [this] { cmdOK_Click(); };
    // The button covers the support line's right end: its text wraps short
    // of the button instead of running under it.
    Support.setTextMargins(0, 0, std::max(0, Support.Left() + Support.Width() - cmdOK.Left()), 0);

    cmdOK.SetFocus();
}

void frmAbout::cmdOK_Click() {
    app::DefaultForm<frmAbout>::Unload();
}

void frmAbout::Form_WindowStateChanged() {
    // Window managers that offer a minimise button on every window (openbox)
    // offer one here too. Modal, out of the taskbar and without an owner to
    // come back with, a minimised box would leave the main window taking no
    // input and nothing to click: it is shown again at once.
    if (!Minimized()) {
        return;
    }
    controls::PostToEventLoop([] {
        if (frmAbout* about = app::DefaultForm<frmAbout>::IfLoaded()) {
            about->Restore();
            about->Activate();
        }
    });
}

void frmAbout::Label1_DragDrop(const std::string& sourceName, float, float) {
    if (sourceName == "Support") {
        // Returns when the picture window has been closed.
        app::DefaultForm<Form3>::Get().ShowModal();
    }
}

void Form1::mnuAbout_Click() {
    // Modal, without an owner; returns when the box has been closed.
    app::DefaultForm<frmAbout>::Get().ShowModal();
}
