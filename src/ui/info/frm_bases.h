#pragma once
// The banner window the third hot key brings up: black, borderless, over the
// whole screen, with one line of red text. A click anywhere closes it.

#include <QWidget>

class QLabel;

class frmBases : public QWidget {
    Q_OBJECT
  public:
    frmBases();

    QLabel* Label1 = nullptr;

    void Form_Click();
    void Label1_Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // A click is a press and a release over the same object.
    QObject* pressedOn_ = nullptr;
};
