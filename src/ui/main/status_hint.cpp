// The status-bar hint about the preview style.

#include "platform/controls/status_bar.h"
#include "ui/main/form1.h"

namespace {

void SetHint(controls::StatusBar& bar, const char* text) {
    if (controls::StatusBar::Panel* panel = bar.Panels(1)) {
        panel->setText(text);
    }
}

}  // namespace

void Form1::Label5_MouseMove() {
    SetHint(StatusBar1, "Lets you select how the preview box displays the screenshot preview");
}

void Form1::Frame2_MouseMove() {
    SetHint(StatusBar1, "");
}

void Form1::Form_MouseMove() {
    SetHint(StatusBar1, "");
}
