#include "ui/info/frm_bases.h"

#include "program/default_form.h"
#include "ui/info/twips.h"
#include "ui/main/form1.h"

frmBases::frmBases() : Form(Style::Borderless, "frmBases") {
    setCaption("Form4");
    setBackColor(0x000000);
    // The design size; the window comes up maximized over it.
    setClientSize(info::TwipsToPixels(4680), info::TwipsToPixels(3090));
    Click = [this] { Form_Click(); };
    QueryUnload = [] {
        app::DefaultForm<frmBases>::Unload();
        return false;
    };

    Label1.setName("Label1");
    info::MoveInTwips(Label1, 2160, 2520, 3855, 1695);
    Label1.setFont({"MS Sans Serif", 24, true, true});
    Label1.setWordWrap(true);
    Label1.setForeColor(0xFF0000);
    Label1.Click = [this] { Label1_Click(); };

    Maximize();
    KeepOutOfTaskbar();
}

void frmBases::Form_Click() {
    app::DefaultForm<frmBases>::Unload();
}

void frmBases::Label1_Click() {
    app::DefaultForm<frmBases>::Unload();
}

void Form1::VBHotKey1_HotKeyPressed() {
    // Modeless: the main window stays as it is and usable.
    frmBases& banner = app::DefaultForm<frmBases>::Get();
    banner.Show();
    banner.Activate();
}
