#pragma once
// The "Camel" window: an ordinary window showing one stored picture. The
// About box opens it modal.

#include "platform/controls/form.h"
#include "platform/controls/image_box.h"

class Form3 : public controls::Form {
  public:
    // The picture stored with the window.
    static constexpr const char* kPicture = "pictures/camel.bmp";

    Form3();

    controls::ImageBox Picture1{*this};
};
