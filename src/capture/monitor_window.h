#pragma once
// The selection on a desktop whose monitors have different scale factors:
// the toolkit cannot place one window across monitors that measure it in
// different units, so each monitor other than the first gets a window of
// its own, showing its part of the frozen screen pixel for pixel.

#include <QPoint>
#include <QRect>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/controls/picture_box.h"
#include "platform/controls/qt/control_impl.h"
#include "platform/controls/rectangle_shape.h"

class QLabel;
class QScreen;

namespace capture {

struct Monitor {
    QScreen* screen = nullptr;
    QRect units;   // where it lies, in the toolkit's units
    QRect pixels;  // where it lies in screen pixels
};

// Every monitor, when their scale factors are not all the same; empty when
// one window can cover them all.
std::vector<Monitor> MonitorsOfMixedScales();

// A borderless window over one monitor, showing the frozen screen from that
// monitor's top left. Escape and closing ask for the selection to end.
class MonitorWindow : public QWidget {
    Q_OBJECT
  public:
    MonitorWindow(QWidget* owner, const Monitor& monitor);

    // Shows the window over exactly its monitor's pixels.
    void showOverMonitor();

    controls::PictureBox* picture() const { return picture_.get(); }
    controls::RectangleShape* band() const { return band_.get(); }
    QLabel* sizeLabel() const { return sizeLabel_; }
    QPoint pixelOrigin() const { return pixelOrigin_; }

  signals:
    void cancelRequested();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    controls::qt::Host host_{this};
    std::unique_ptr<controls::PictureBox> picture_;
    std::unique_ptr<controls::RectangleShape> band_;
    QLabel* sizeLabel_ = nullptr;
    QPoint pixelOrigin_;
    QRect pixels_;
};

// Gives a shown selection window exactly the monitor's pixels, which the
// toolkit's units may not reach (1024 pixels at 1.5 are 682.67 units), and
// a picture over all of them.
void CoverMonitor(QWidget* window, controls::PictureBox& picture, const Monitor& monitor);

}  // namespace capture
