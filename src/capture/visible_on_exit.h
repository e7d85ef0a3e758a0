#pragma once
// Makes a window visible again when a capture handler returns, on every
// path: a capture that fails part-way must not leave the main window hidden.

#include <QPointer>
#include <QWidget>

namespace capture {

class VisibleOnExit {
  public:
    explicit VisibleOnExit(QWidget& window) : window_(&window) {}
    ~VisibleOnExit() {
        if (window_) {
            window_->setVisible(true);
        }
    }
    VisibleOnExit(const VisibleOnExit&) = delete;
    VisibleOnExit& operator=(const VisibleOnExit&) = delete;

  private:
    QPointer<QWidget> window_;
};

}  // namespace capture
