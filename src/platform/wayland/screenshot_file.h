#pragma once
// The file a desktop portal names as the screenshot it took for us. The
// portal's answer is not trusted to name a file of ours: only a fresh
// regular file of this user's, no larger than the desktop's picture can be,
// is read, and it is deleted only once read as the screenshot, and only if
// its name still leads to that same file. Anything else is left alone.

#include <chrono>
#include <ctime>
#include <optional>
#include <string>

#include "platform/wayland/png_picture.h"

namespace platform {

struct ScreenshotRules {
    // The wall-clock time just before the portal was asked: the file must
    // have been written since.
    timespec asked{};
    std::int64_t maxWidth = 0x7FFF;
    std::int64_t maxHeight = 0x7FFF;
    std::int64_t maxPixels = std::int64_t{1} << 28;
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    bool keepFile = false;  // as PngLimits::keepFile
};

// The local path an absolute file:// uri names, or empty with the reason:
// a uri with a host other than this machine, a relative path, an encoded
// '/' or NUL, a '.' or '..' segment, a query or a fragment is refused.
std::optional<std::string> ScreenshotPath(const std::string& uri, std::string& error);

// The picture in the file `uri` names, which is then deleted; or empty with
// the reason, the file left as it was.
std::optional<Picture> TakeScreenshotFile(const std::string& uri, const ScreenshotRules& rules,
                                          std::string& error);

}  // namespace platform
