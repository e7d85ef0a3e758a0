// The size limits' arithmetic, whatever toolkit keeps the window to them.

#include "platform/controls/size_limit.h"

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

}  // namespace controls
