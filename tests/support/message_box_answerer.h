#pragma once
// Answers every message box that comes up while it lives, remembering what
// each one showed.

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <vector>

namespace testing_support {

struct ShownMessageBox {
    QMessageBox::Icon icon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
};

class MessageBoxAnswerer {
  public:
    MessageBoxAnswerer() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    shown.push_back(
                        {box->icon(), box->windowTitle(), box->text(), box->standardButtons()});
                    box->done(QMessageBox::Ok);
                }
            }
        });
        timer_.start();
    }

    std::vector<ShownMessageBox> shown;

  private:
    QTimer timer_;
};

}  // namespace testing_support
