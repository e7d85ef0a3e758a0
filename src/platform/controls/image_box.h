#pragma once
// A box on its container that shows a plain colour or a picture stored with
// the program, and may hold controls of its own (built on the box). A
// picture shows at its own size from the box's top left corner, clipped by
// the box.

#include <cstdint>
#include <string_view>

#include "platform/controls/control.h"

namespace controls {

class ImageBox : public Control {
  public:
    explicit ImageBox(Control& container);

    void setBackColor(std::uint32_t rgb);
    // Shows the stored picture `name` ("pictures/camel.bmp"); false, showing
    // nothing, when it cannot be read.
    bool setPicture(std::string_view name);
    // The picture's size in pixels; 0 x 0 without one.
    int PictureWidth() const;
    int PictureHeight() const;
};

}  // namespace controls
