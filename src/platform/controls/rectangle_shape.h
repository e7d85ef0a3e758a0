#pragma once
// A rectangle outline over its container, like a rubber band. Its position
// and size are real numbers in the screen's own (device) pixels, as the
// picture boxes it lies on count them; a negative width or height is refused
// and the previous value kept. It starts hidden and lets the mouse through.

#include <cstdint>

#include "platform/controls/control.h"

namespace controls {

class RectangleShape : public Control {
  public:
    explicit RectangleShape(Control& container);

    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    void setLeft(double value);
    void setTop(double value);
    // Both return false, changing nothing, for a negative or non-finite value.
    bool setWidth(double value);
    bool setHeight(double value);
    void setBorderWidth(int pixels);
    void setBorderColor(std::uint32_t rgb);
    // A shape shown lies over its container's other controls.
    void setVisible(bool visible);
};

}  // namespace controls
