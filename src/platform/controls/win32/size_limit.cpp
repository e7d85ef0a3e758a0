#include "platform/controls/size_limit.h"

#include <algorithm>

#include "platform/controls/win32/form_impl.h"

namespace controls {

// The form answers the system's question about its size limits
// (WM_GETMINMAXINFO) from what is set here.
struct SizeLimit::Impl {
    win32::FormImpl* form = nullptr;
    Extent clientWhenOn;
};

SizeLimit::SizeLimit() : impl_(std::make_unique<Impl>()) {}

SizeLimit::~SizeLimit() {
    if (impl_->form) {
        impl_->form->minimumTrack = {};
        impl_->form->maximumTrack = {};
    }
}

void SizeLimit::setHwnd(Control* window) {
    if (impl_->form) {
        impl_->form->minimumTrack = {};
        impl_->form->maximumTrack = {};
    }
    impl_->form = window ? dynamic_cast<win32::FormImpl*>(&window->impl()) : nullptr;
    apply();
}

void SizeLimit::setLimitSize(bool on) {
    on_ = on;
    impl_->clientWhenOn = {};
    if (on && impl_->form && impl_->form->hwnd) {
        RECT client;
        GetClientRect(impl_->form->hwnd, &client);
        impl_->clientWhenOn = {impl_->form->toUnits(client.right),
                               impl_->form->toUnits(client.bottom)};
    }
    apply();
}

void SizeLimit::apply() {
    win32::FormImpl* form = impl_->form;
    if (!form || !form->hwnd) {
        return;
    }
    form->minimumTrack = {};
    form->maximumTrack = {};
    if (!on_) {
        return;
    }
    // The limits are on the outer size; the frame is the window's own.
    RECT outer;
    RECT client;
    GetWindowRect(form->hwnd, &outer);
    GetClientRect(form->hwnd, &client);
    const Extent frame{(outer.right - outer.left) - client.right,
                       (outer.bottom - outer.top) - client.bottom};
    const Extent frameUnits{form->toUnits(frame.width), form->toUnits(frame.height)};
    const auto pixels = [form](int units) { return form->toPixels(units); };
    Extent minimum = minimumFor(frameUnits);
    // Switching the limits on never grows the window.
    if (impl_->clientWhenOn.width > 0) {
        minimum.width = std::min(minimum.width, impl_->clientWhenOn.width);
        minimum.height = std::min(minimum.height, impl_->clientWhenOn.height);
    }
    const Extent maximum = maximumFor(frameUnits);
    if (minimum.width > 0 || minimum.height > 0) {
        form->minimumTrack = {pixels(minimum.width) + frame.width,
                              pixels(minimum.height) + frame.height};
    }
    form->maximumTrack = {maximum.width == kNoLimit ? 0 : pixels(maximum.width) + frame.width,
                          maximum.height == kNoLimit ? 0 : pixels(maximum.height) + frame.height};
}

}  // namespace controls
