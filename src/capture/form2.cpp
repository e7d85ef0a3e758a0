#include "capture/form2.h"

#include "program/default_form.h"
#include "ui/main/form1.h"

Form2::Form2() : Form(Style::FixedDialog, "Form2") {
    // Owned by the main window: the window manager keeps it out of the
    // taskbar and above the main window, and it goes when the main window
    // goes.
    if (Form1* main = Form1::Instance()) {
        setOwner(*main);
    }
    setCaption("Capture Individual Window");
    setClientSize(kClientWidth, kClientHeight);
    QueryUnload = [] {
        app::DefaultForm<Form2>::Unload();
        return false;
    };

    Label1.setName("Label1");
    Label1.Move(120 / 15, 120 / 15, 3615 / 15, 615 / 15);
    Label1.setWordWrap(true);
}
