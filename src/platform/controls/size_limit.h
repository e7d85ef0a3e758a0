#pragma once
// Keeps a window's size between a minimum and a maximum while the user
// resizes it. Sizes are pixels; 0 means no limit on that side.

#include <QPointer>
#include <QWidget>

namespace controls {

class SizeLimit {
  public:
    float minwidth = 0;
    float minheight = 0;
    float maxwidth = 0;
    float maxheight = 0;

    void setHwnd(QWidget* window) { window_ = window; }
    QWidget* hwnd() const { return window_; }
    // Switching on applies the current limits to the window.
    void setLimitSize(bool on);
    bool LimitSize() const { return on_; }

  private:
    QPointer<QWidget> window_;
    bool on_ = false;
};

}  // namespace controls
