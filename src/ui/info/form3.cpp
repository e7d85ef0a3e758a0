#include "ui/info/form3.h"

#include "program/default_form.h"
#include "ui/info/twips.h"

// An ordinary window of its own, though it runs modal: resizable, with
// minimize and maximize buttons, and listed in the taskbar. Esc does not
// close it as it would a dialog.
Form3::Form3() : Form(Style::Sizable, "Form3") {
    setCaption("Camel");
    setClientSize(info::TwipsToPixels(4800), info::TwipsToPixels(4470));
    CenterOnScreen();
    QueryUnload = [] {
        app::DefaultForm<Form3>::Unload();
        return false;
    };

    // The picture at its own size from the box's corner, clipped by the box
    // (which is a little less high than the picture). The box keeps its
    // place and size when the window is resized.
    Picture1.setName("Picture1");
    info::MoveInTwips(Picture1, 120, 120, 4575, 4215);
    Picture1.setPicture(kPicture);
}
