#include "platform/controls/size_limit.h"

#include <QEvent>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <algorithm>

#include "base/rounding.h"
#include "platform/controls/qt/control_impl.h"

static_assert(controls::SizeLimit::kNoLimit == QWIDGETSIZE_MAX);

namespace controls {
namespace {

// A limit in whole pixels, or `none` where it is 0 (unset) or unusable.
int Pixels(float value, int none) {
    const auto rounded = base::ToInt32(value);
    return rounded && *rounded > 0 ? *rounded : none;
}

QSize ToSize(SizeLimit::Extent extent) {
    return {extent.width, extent.height};
}

}  // namespace

// The window manager's frame is known only once the window is mapped, and
// may change; the limits follow it.
struct SizeLimit::Impl : QObject {
    Impl(SizeLimit& limit) : limit(limit) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window && limit.on_ &&
            (event->type() == QEvent::Show || event->type() == QEvent::Move ||
             event->type() == QEvent::Resize)) {
            limit.apply();
        }
        return QObject::eventFilter(watched, event);
    }

    SizeLimit& limit;
    QPointer<QWidget> window;
    QSize sizeWhenOn;
};

SizeLimit::SizeLimit() : impl_(std::make_unique<Impl>(*this)) {}

SizeLimit::~SizeLimit() = default;

void SizeLimit::setHwnd(Control* window) {
    if (impl_->window) {
        impl_->window->removeEventFilter(impl_.get());
    }
    impl_->window = window ? qt::WidgetOf(*window) : nullptr;
    if (impl_->window) {
        impl_->window->installEventFilter(impl_.get());
    }
}

SizeLimit::Extent SizeLimit::minimumFor(Extent frame) const {
    return {std::max(0, Pixels(minwidth, 0) - frame.width),
            std::max(0, Pixels(minheight, 0) - frame.height)};
}

SizeLimit::Extent SizeLimit::maximumFor(Extent frame) const {
    const int width = Pixels(maxwidth, kNoLimit);
    const int height = Pixels(maxheight, kNoLimit);
    return {width == kNoLimit ? width : std::max(1, width - frame.width),
            height == kNoLimit ? height : std::max(1, height - frame.height)};
}

void SizeLimit::setLimitSize(bool on) {
    on_ = on;
    impl_->sizeWhenOn = on && impl_->window ? impl_->window->size() : QSize();
    apply();
}

void SizeLimit::apply() {
    QWidget* window = impl_->window;
    if (!window) {
        return;
    }
    if (!on_) {
        window->setMinimumSize(0, 0);
        window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        return;
    }
    const QSize frame = window->frameGeometry().size() - window->size();
    const Extent outer{frame.width(), frame.height()};
    const QSize minimum =
        ToSize(minimumFor(outer))
            .boundedTo(impl_->sizeWhenOn.isValid() ? impl_->sizeWhenOn
                                                   : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    const QSize maximum = ToSize(maximumFor(outer));
    if (window->minimumSize() != minimum) {
        window->setMinimumSize(minimum);
    }
    if (window->maximumSize() != maximum) {
        window->setMaximumSize(maximum);
    }
}

}  // namespace controls
