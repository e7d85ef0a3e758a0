#include "capture/frozen_scale.h"

#include "platform/backend.h"

namespace capture {

FrozenScale FrozenScreenScale(int windowWidth, int windowHeight, int screenWidth,
                              int screenHeight) {
    if (!platform::CurrentBackend()->screenInDevicePixels() || windowWidth <= 0 ||
        windowHeight <= 0 || screenWidth <= 0 || screenHeight <= 0) {
        return {};
    }
    if (const double scale = platform::CurrentBackend()->compositorScale(); scale > 0) {
        return {scale, scale};
    }
    return {static_cast<double>(screenWidth) / windowWidth,
            static_cast<double>(screenHeight) / windowHeight};
}

}  // namespace capture
