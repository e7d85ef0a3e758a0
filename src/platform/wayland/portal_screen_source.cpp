#include "platform/wayland/portal_screen_source.h"

#include <QUrl>
#include <cstdio>
#include <cstring>

#include "platform/wayland/portal_request.h"

namespace platform {

raster::Size PortalScreenSource::size() {
    return {picture_.width, picture_.height};
}

bool PortalScreenSource::read(int x, int y, int width, int height, std::uint32_t* dest,
                              int destStride) {
    if (picture_.pixels.empty() || x < 0 || y < 0 || width <= 0 || height <= 0 ||
        x + width > picture_.width || y + height > picture_.height) {
        return false;
    }
    for (int row = 0; row < height; ++row) {
        const std::uint32_t* in =
            picture_.pixels.data() + static_cast<std::ptrdiff_t>(y + row) * picture_.width + x;
        std::memcpy(dest + static_cast<std::ptrdiff_t>(row) * destStride, in,
                    static_cast<std::size_t>(width) * 4);
    }
    return true;
}

std::string PortalScreenSource::freeze() {
    picture_ = Picture();
    // The wait for the answer runs the event loop, where a hot key could
    // ask for another screenshot: the portal would write the same file.
    if (taking_) {
        return "a screenshot is already being taken";
    }
    taking_ = true;
    const portal::Answer answer =
        portal::Call("org.freedesktop.portal.Screenshot", "Screenshot", {QString()},
                     {{"interactive", false}, {"modal", false}}, kAnswerTimeoutMs);
    taking_ = false;
    if (answer.outcome != portal::Answer::Outcome::Granted) {
        return portal::Explain(answer, "take a screenshot").toStdString();
    }
    const QUrl uri(answer.results.value("uri").toString());
    if (!uri.isLocalFile()) {
        return "the desktop portal's screenshot is not a local file (\"" +
               uri.toString().toStdString() + "\")";
    }
    const std::string file = uri.toLocalFile().toStdString();
    std::string error;
    std::optional<Picture> picture = ReadPngPicture(file, error);
    // The portal wrote the file for us alone; the user did not ask for it.
    std::remove(file.c_str());
    if (!picture) {
        return "the desktop portal's screenshot " + file + " cannot be read: " + error;
    }
    picture_ = std::move(*picture);
    return {};
}

}  // namespace platform
