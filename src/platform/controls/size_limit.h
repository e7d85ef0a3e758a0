#pragma once
// Keeps a window's outer size (frame and title bar included) between a
// minimum and a maximum while the user resizes it. Sizes are pixels; 0 means
// no limit on that side.

#include <memory>

#include "platform/controls/control.h"

namespace controls {

class SizeLimit {
  public:
    // A width and a height in pixels.
    struct Extent {
        int width = 0;
        int height = 0;
        friend bool operator==(const Extent&, const Extent&) = default;
    };
    // The largest size a window may be given: no maximum.
    static constexpr int kNoLimit = (1 << 24) - 1;

    SizeLimit();
    ~SizeLimit();
    SizeLimit(const SizeLimit&) = delete;
    SizeLimit& operator=(const SizeLimit&) = delete;

    float minwidth = 0;
    float minheight = 0;
    float maxwidth = 0;
    float maxheight = 0;

    // The window whose size is kept (a form); null for none.
    void setHwnd(Control* window);
    // Switching on applies the current limits to the window. The minimum
    // never asks for more than the window's size at that moment: switching
    // the limits on never grows the window, whatever frame the window
    // manager gives it, and the user may still make it larger.
    void setLimitSize(bool on);
    bool LimitSize() const { return on_; }

    // The limits on the window's own size for a frame that adds `frame` to
    // it: the outer limits less the frame, never below zero.
    Extent minimumFor(Extent frame) const;
    Extent maximumFor(Extent frame) const;

    // The toolkit's watch over the window.
    struct Impl;

  private:
    void apply();

    std::unique_ptr<Impl> impl_;
    bool on_ = false;
};

}  // namespace controls
