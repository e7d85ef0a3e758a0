#include "support/form1_fixture.h"

#include "platform/controls/picture_box.h"

namespace testing_support {

std::uint32_t Form1Test::PanePixel(int x, int y) const {
    return raster::ContextPixels(form_->picpreview.hDC())->row(y)[x];
}

}  // namespace testing_support
