#include "platform/controls/size_limit.h"

#include <QEvent>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include "platform/controls/qt/control_impl.h"

static_assert(controls::SizeLimit::kNoLimit == QWIDGETSIZE_MAX);

namespace controls {
namespace {

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
