#pragma once
// A picture box with a persistent image: drawing goes into an off-screen
// bitmap of the box's inner size (a raster-layer context, `hDC`), which
// survives hiding and uncovering and is shown on screen by Refresh.
//
// The image, its scale sizes and the mouse coordinates are in the screen's
// own (device) pixels: on a scaled desktop one image pixel is still one
// pixel of the screen, so a capture shown at actual size is exact and a
// point clicked is the pixel under the pointer.

#include <cstdint>
#include <functional>

#include "platform/controls/control.h"
#include "platform/raster/gdi.h"

namespace controls {

enum class MousePointer { Default, Crosshair };

class PictureBox : public Control {
  public:
    // The colour of scroll bars on a classic desktop, the default background.
    static constexpr std::uint32_t kScrollBarColour = 0xC8C8C8;

    explicit PictureBox(Control& container);
    ~PictureBox() override;

    raster::HDC hDC() const;
    int ScaleWidth() const;
    int ScaleHeight() const;
    // Sizes the box so that its image is exactly width x height pixels.
    void resizeToPixels(int width, int height);
    // Shows the pixels of the memory context `source` (a picture held
    // elsewhere, such as a frozen screen) instead of an image of its own,
    // without copying them: the box then has no image, and drawing into
    // hDC() draws nothing. A source that goes away shows the background.
    // The box's top left shows the source's pixel (originX, originY).
    void ShowContext(raster::HDC source, int originX = 0, int originY = 0);
    void Cls();
    void Refresh();
    void setBackColor(std::uint32_t rgb);
    std::uint32_t backColor() const;
    // Whether Tab and a click give the box the keyboard (off by default).
    void setTabStop(bool on);
    void setMousePointer(MousePointer pointer);

    std::function<void(int button, int shift, float x, float y)> MouseDown;
    std::function<void(int button, int shift, float x, float y)> MouseMove;
    std::function<void(int button, int shift, float x, float y)> MouseUp;
};

}  // namespace controls
