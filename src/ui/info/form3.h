#pragma once
// The "Camel" window: an ordinary window showing one stored picture. The
// About box opens it modal.

#include <QDialog>
#include <QImage>

class QLabel;

class Form3 : public QDialog {
    Q_OBJECT
  public:
    Form3();

    // The picture stored with the window, or a null image if it cannot be
    // read.
    static QImage StoredPicture();

    QLabel* Picture1 = nullptr;

    // The close box unloads the window.
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};
