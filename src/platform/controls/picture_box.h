#pragma once
// A picture box with a persistent image: drawing goes into an off-screen
// bitmap of the box's inner size (a raster-layer context, `hDC`), which
// survives hiding and uncovering and is shown on screen by Refresh.
//
// The image, its scale sizes and the mouse coordinates are in the screen's
// own (device) pixels: on a scaled desktop one image pixel is still one
// pixel of the screen, so a capture shown at actual size is exact and a
// point clicked is the pixel under the pointer.

#include <QWidget>
#include <cstdint>

#include "platform/raster/gdi.h"

namespace controls {

class PictureBox : public QWidget {
    Q_OBJECT
  public:
    // The colour of scroll bars on a classic desktop, the default background.
    static constexpr std::uint32_t kScrollBarColour = 0xC8C8C8;

    explicit PictureBox(QWidget* parent = nullptr);
    ~PictureBox() override;

    raster::HDC hDC() const { return dc_; }
    int ScaleWidth() const { return PixelsFor(size()).width(); }
    int ScaleHeight() const { return PixelsFor(size()).height(); }
    // Sizes the box so that its image is exactly width x height pixels.
    void resizeToPixels(int width, int height);
    // Shows the pixels of the memory context `source` (a picture held
    // elsewhere, such as a frozen screen) instead of an image of its own,
    // without copying them: the box then has no image, and drawing into
    // hDC() draws nothing. A source that goes away shows the background.
    // The box's top left shows the source's pixel at `origin`.
    void ShowContext(raster::HDC source, QPoint origin = {});
    void Cls();
    void Refresh();
    void setBackColor(std::uint32_t rgb);
    std::uint32_t backColor() const { return backColor_; }

  signals:
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);
    void MouseUp(int button, int shift, float x, float y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void resizeImage(int width, int height);
    // The screen pixels that a size in the toolkit's scaled units covers.
    QSize PixelsFor(QSize units) const;
    // Toolkit units over screen pixels (1 on an unscaled desktop).
    qreal ratio() const { return devicePixelRatioF(); }
    void emitMouse(void (PictureBox::*signal)(int, int, float, float), int button,
                   QMouseEvent* event);

    raster::HDC dc_ = 0;
    raster::HBITMAP bitmap_ = 0;
    raster::HDC shown_ = 0;
    QPoint shownOrigin_;
    // The size resizeToPixels asked for, and the box's size it gave.
    QSize exactPixels_;
    QSize exactUnits_;
    std::uint32_t backColor_ = kScrollBarColour;
};

}  // namespace controls
