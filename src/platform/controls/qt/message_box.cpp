#include "platform/controls/message_box.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

#include "platform/controls/qt/control_impl.h"
#include "platform/controls/qt/message_box_widget.h"

namespace controls {
namespace qt {

MessageBoxWidget::MessageBoxWidget(QMessageBox::Icon icon, const QString& title,
                                   const QString& text, QWidget* parent)
    : QMessageBox(icon, title, text, QMessageBox::Ok, parent) {}

QString MessageBoxWidget::CopyText() const {
    const QString separator = "---------------------------\n";
    QString copy = separator + windowTitle() + "\n" + separator + text() + "\n" + separator;
    for (const QAbstractButton* button : buttons()) {
        copy += QString(button->text()).remove('&') + "   ";
    }
    return copy + "\n" + separator;
}

void MessageBoxWidget::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        if (QClipboard* clipboard = QGuiApplication::clipboard()) {
            clipboard->setText(CopyText());
        }
        event->accept();
        return;
    }
    QMessageBox::keyPressEvent(event);
}

}  // namespace qt

void ShowMessage(const Control* owner, MessageIcon icon, std::string_view title,
                 std::string_view text) {
    const QMessageBox::Icon shown = icon == MessageIcon::Critical  ? QMessageBox::Critical
                                    : icon == MessageIcon::Warning ? QMessageBox::Warning
                                                                   : QMessageBox::Information;
    QWidget* parent = owner ? qt::WidgetOf(*owner) : nullptr;
    qt::MessageBoxWidget box(shown, qt::Text(title), qt::Text(text),
                             parent ? parent->window() : nullptr);
    box.exec();
}

}  // namespace controls
