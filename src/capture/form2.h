#pragma once
// The window-capture instructions: a small fixed dialog that tells the user
// to bring the wanted window to the front and press Shift+Print Screen.

#include <QWidget>

class QLabel;

class Form2 : public QWidget {
    Q_OBJECT
  public:
    // Client size and label placement, in pixels (twips / 15).
    static constexpr int kClientWidth = 3735 / 15;
    static constexpr int kClientHeight = 870 / 15;

    Form2();

    QLabel* Label1 = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
};
