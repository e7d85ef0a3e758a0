#include "capture/form2.h"

#include <QCloseEvent>
#include <QLabel>

#include "program/default_form.h"
#include "ui/main/form1.h"

// A dialog owned by the main window: the window manager keeps it out of the
// taskbar and above the main window, and it goes when the main window goes.
Form2::Form2()
    : QWidget(Form1::Instance(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                     Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                     Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName("Form2");
    setWindowTitle("Capture Individual Window");
    setFixedSize(kClientWidth, kClientHeight);

    Label1 =
        new QLabel("Open up the window you wish to capture, then press Shift+Print Screen", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(120 / 15, 120 / 15, 3615 / 15, 615 / 15);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void Form2::closeEvent(QCloseEvent* event) {
    event->ignore();
    app::DefaultForm<Form2>::Unload();
}
