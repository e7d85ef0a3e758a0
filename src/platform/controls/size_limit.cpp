#include "platform/controls/size_limit.h"

#include <QWidget>
#include <algorithm>

#include "app/rounding.h"

namespace controls {
namespace {

int Pixels(float value, int none) {
    const auto rounded = app::ToInt32(value);
    return rounded && *rounded > 0 ? *rounded : none;
}

}  // namespace

void SizeLimit::setLimitSize(bool on) {
    on_ = on;
    if (!window_) {
        return;
    }
    if (on) {
        window_->setMinimumSize(Pixels(minwidth, 0), Pixels(minheight, 0));
        window_->setMaximumSize(Pixels(maxwidth, QWIDGETSIZE_MAX),
                                Pixels(maxheight, QWIDGETSIZE_MAX));
    } else {
        window_->setMinimumSize(0, 0);
        window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

}  // namespace controls
