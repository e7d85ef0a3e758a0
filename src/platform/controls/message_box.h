#pragma once
// Message boxes that, like the classic desktop's, copy themselves to the
// clipboard with Ctrl+C: title, text and buttons between separator lines.

#include <QMessageBox>

namespace controls {

class MessageBox : public QMessageBox {
    Q_OBJECT
  public:
    MessageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
               QMessageBox::StandardButtons buttons = QMessageBox::Ok, QWidget* parent = nullptr);

    // What Ctrl+C puts on the clipboard.
    QString CopyText() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Shows a modal message box and returns the button chosen.
QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

}  // namespace controls
