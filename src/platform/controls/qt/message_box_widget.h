#pragma once
// The Qt message box behind controls::ShowMessage.

#include <QMessageBox>

namespace controls::qt {

class MessageBoxWidget : public QMessageBox {
  public:
    MessageBoxWidget(QMessageBox::Icon icon, const QString& title, const QString& text,
                     QWidget* parent);

    // What Ctrl+C puts on the clipboard.
    QString CopyText() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace controls::qt
