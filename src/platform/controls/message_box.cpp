#include "platform/controls/message_box.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

namespace controls {

MessageBox::MessageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                       QMessageBox::StandardButtons buttons, QWidget* parent)
    : QMessageBox(icon, title, text, buttons, parent) {}

QString MessageBox::CopyText() const {
    const QString separator = "---------------------------\n";
    QString copy = separator + windowTitle() + "\n" + separator + text() + "\n" + separator;
    for (const QAbstractButton* button : buttons()) {
        copy += QString(button->text()).remove('&') + "   ";
    }
    return copy + "\n" + separator;
}

void MessageBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        if (QClipboard* clipboard = QGuiApplication::clipboard()) {
            clipboard->setText(CopyText());
        }
        event->accept();
        return;
    }
    QMessageBox::keyPressEvent(event);
}

QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons) {
    MessageBox box(icon, title, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace controls
