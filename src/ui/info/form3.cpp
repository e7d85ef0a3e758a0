#include "ui/info/form3.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>

#include "program/default_form.h"
#include "ui/info/twips.h"

Form3::Form3() {
    setObjectName("Form3");
    setWindowTitle("Camel");
    // An ordinary window of its own, though it runs modal: resizable, with
    // minimize and maximize buttons, and listed in the taskbar.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(info::TwipsToPixels(4800), info::TwipsToPixels(4470));

    // The picture at its own size from the box's corner, clipped by the box
    // (which is a little less high than the picture). The box keeps its
    // place and size when the window is resized.
    Picture1 = new QLabel(this);
    Picture1->setObjectName("Picture1");
    Picture1->setGeometry(info::TwipsRect(120, 120, 4575, 4215));
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QImage picture = StoredPicture();
    if (!picture.isNull()) {
        Picture1->setPixmap(QPixmap::fromImage(picture));
    }
}

QImage Form3::StoredPicture() {
    return QImage(":/pictures/camel.bmp", "BMP");
}

void Form3::reject() {
    app::DefaultForm<Form3>::Unload();
}

void Form3::keyPressEvent(QKeyEvent* event) {
    // An ordinary window: Esc does not close it as it would a dialog.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}
