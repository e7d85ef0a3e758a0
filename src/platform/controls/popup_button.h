#pragma once
// A flat command button that raises itself under the pointer, as on the
// toolbars of classic desktop programs. Click carries one argument that
// handlers are free to ignore.

#include <QToolButton>

namespace controls {

class PopupButton : public QToolButton {
    Q_OBJECT
  public:
    PopupButton(const QString& caption, QWidget* parent);

    // When true the button keeps its raised look, marking that its command
    // has completed; the next press clears it.
    bool Highlight() const { return highlight_; }
    void setHighlight(bool on);

  signals:
    void Click(int argument);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool highlight_ = false;
};

}  // namespace controls
