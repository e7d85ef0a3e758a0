#include "platform/controls/size_limit.h"

#include <QEvent>
#include <algorithm>

#include "base/rounding.h"

namespace controls {
namespace {

// A limit in whole pixels, or `none` where it is 0 (unset) or unusable.
int Pixels(float value, int none) {
    const auto rounded = base::ToInt32(value);
    return rounded && *rounded > 0 ? *rounded : none;
}

}  // namespace

void SizeLimit::setHwnd(QWidget* window) {
    if (window_) {
        window_->removeEventFilter(this);
    }
    window_ = window;
    if (window_) {
        // The window manager's frame is known only once the window is
        // mapped, and may change; the limits follow it.
        window_->installEventFilter(this);
    }
}

QSize SizeLimit::minimumFor(QSize frame) const {
    return {std::max(0, Pixels(minwidth, 0) - frame.width()),
            std::max(0, Pixels(minheight, 0) - frame.height())};
}

QSize SizeLimit::maximumFor(QSize frame) const {
    const int width = Pixels(maxwidth, QWIDGETSIZE_MAX);
    const int height = Pixels(maxheight, QWIDGETSIZE_MAX);
    return {width == QWIDGETSIZE_MAX ? width : std::max(1, width - frame.width()),
            height == QWIDGETSIZE_MAX ? height : std::max(1, height - frame.height())};
}

void SizeLimit::setLimitSize(bool on) {
    on_ = on;
    sizeWhenOn_ = on && window_ ? window_->size() : QSize();
    apply();
}

void SizeLimit::apply() {
    if (!window_) {
        return;
    }
    if (!on_) {
        window_->setMinimumSize(0, 0);
        window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        return;
    }
    const QSize frame = window_->frameGeometry().size() - window_->size();
    const QSize minimum = minimumFor(frame).boundedTo(
        sizeWhenOn_.isValid() ? sizeWhenOn_ : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    const QSize maximum = maximumFor(frame);
    if (window_->minimumSize() != minimum) {
        window_->setMinimumSize(minimum);
    }
    if (window_->maximumSize() != maximum) {
        window_->setMaximumSize(maximum);
    }
}

bool SizeLimit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && on_ &&
        (event->type() == QEvent::Show || event->type() == QEvent::Move ||
         event->type() == QEvent::Resize)) {
        apply();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace controls
