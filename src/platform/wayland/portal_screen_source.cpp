#include "platform/wayland/portal_screen_source.h"

#include <QFile>
#include <QUrl>
#include <cstring>

#include "platform/wayland/portal_request.h"

namespace platform {

raster::Size PortalScreenSource::size() {
    return {picture_.width(), picture_.height()};
}

bool PortalScreenSource::read(int x, int y, int width, int height, std::uint32_t* dest,
                              int destStride) {
    if (picture_.isNull() || x < 0 || y < 0 || width <= 0 || height <= 0 ||
        x + width > picture_.width() || y + height > picture_.height()) {
        return false;
    }
    for (int row = 0; row < height; ++row) {
        const auto* in =
            reinterpret_cast<const std::uint32_t*>(picture_.constScanLine(y + row)) + x;
        std::uint32_t* out = dest + static_cast<std::ptrdiff_t>(row) * destStride;
        for (int i = 0; i < width; ++i) {
            out[i] = in[i] & 0x00FFFFFF;
        }
    }
    return true;
}

std::string PortalScreenSource::freeze() {
    picture_ = QImage();
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
    const QString file = uri.toLocalFile();
    QImage image(file);
    // The portal wrote the file for us alone; the user did not ask for it.
    QFile::remove(file);
    if (image.isNull()) {
        return "the desktop portal's screenshot " + file.toStdString() + " cannot be read";
    }
    picture_ = image.convertToFormat(QImage::Format_RGB32);
    return {};
}

}  // namespace platform
