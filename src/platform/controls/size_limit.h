#pragma once
// Keeps a window's outer size (frame and title bar included) between a
// minimum and a maximum while the user resizes it. Sizes are pixels; 0 means
// no limit on that side.

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>

namespace controls {

class SizeLimit : public QObject {
    Q_OBJECT
  public:
    float minwidth = 0;
    float minheight = 0;
    float maxwidth = 0;
    float maxheight = 0;

    void setHwnd(QWidget* window);
    QWidget* hwnd() const { return window_; }
    // Switching on applies the current limits to the window. The minimum
    // never asks for more than the window's size at that moment: switching
    // the limits on never grows the window, whatever frame the window
    // manager gives it, and the user may still make it larger.
    void setLimitSize(bool on);
    bool LimitSize() const { return on_; }

    // The limits on the window's own size for a frame that adds `frame` to
    // it: the outer limits less the frame, never below zero.
    QSize minimumFor(QSize frame) const;
    QSize maximumFor(QSize frame) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void apply();

    QPointer<QWidget> window_;
    bool on_ = false;
    QSize sizeWhenOn_;
};

}  // namespace controls
