#include "platform/wayland/portal_screen_source.h"

#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "platform/desktop_notice.h"
#include "platform/text/printable.h"
#include "platform/wayland/portal_request.h"
#include "platform/wayland/portal_start.h"
#include "platform/wayland/screenshot_file.h"
#include "platform/wayland/screenshot_permission.h"
#include "platform/wayland/sway_windows.h"

namespace platform {
namespace {

struct Bound {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t pixels = width * height;
};

// Where nothing tells the desktop's size: room for several large monitors
// side by side, far short of what would exhaust the memory.
constexpr Bound kUnknownDesktop{16384, 16384, std::int64_t{1} << 26};

// The largest output scale assumed for an X screen's size in logical pixels.
constexpr int kLargestScale = 4;

// How long the portal's permission store may take to say whether the user
// has answered the desktop's question before.
constexpr int kStoreTimeoutMs = 2000;

std::string AskingNotice() {
    return "the desktop is asking you whether Tessarine may take screenshots: answer its "
           "dialog (Tessarine waits up to " +
           std::to_string(PortalScreenSource::kUserAnswerTimeoutMs / 1000) + " seconds)";
}

// Why a screenshot the desktop asked the user about did not come.
std::string AskedAndNotGranted(const portal::Answer& answer) {
    switch (answer.outcome) {
        case portal::Answer::Outcome::Refused:
        case portal::Answer::Outcome::Ended:
            return "you did not allow screenshots in the desktop's dialog";
        case portal::Answer::Outcome::NoAnswer:
            return "the desktop asked you whether Tessarine may take screenshots, and no answer "
                   "came within " +
                   std::to_string(PortalScreenSource::kUserAnswerTimeoutMs / 1000) +
                   " seconds; the question was withdrawn";
        default:
            return portal::Explain(answer, "take a screenshot").toStdString();
    }
}

// Deletes the screenshot a desktop wrote after we gave up on it, once its
// answer names it; the file is checked as any screenshot file is.
void DiscardLateScreenshot(ScreenshotRules rules, const portal::Answer& answer) {
    if (answer.outcome != portal::Answer::Outcome::Granted) {
        return;
    }
    rules.deadline = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(PortalScreenSource::kAnswerTimeoutMs);
    std::string error;
    TakeScreenshotFile(answer.results.value("uri").toString().toStdString(), rules, error);
}

// The largest screenshot of the whole desktop the portal can give, with a
// little room to spare: sway's outputs at their largest scale, else the X
// screen at the largest scale there is.
Bound LargestScreenshot(const std::function<raster::Size()>& xScreenSize) {
    if (sway::Available()) {
        if (const std::optional<sway::Extent> desktop = sway::DesktopDeviceSize()) {
            const auto width = static_cast<std::int64_t>(desktop->width) + 64;
            const auto height = static_cast<std::int64_t>(desktop->height) + 64;
            return {width, height, width * height};
        }
    }
    // XWayland's X screen spans the desktop in logical pixels.
    if (const raster::Size screen = xScreenSize ? xScreenSize() : raster::Size{};
        screen.width > 0 && screen.height > 0) {
        const std::int64_t width = std::int64_t{screen.width} * kLargestScale;
        const std::int64_t height = std::int64_t{screen.height} * kLargestScale;
        return {width, height, width * height};
    }
    return kUnknownDesktop;
}

}  // namespace

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
    const portal::Answer started = portal::StartPortal();
    if (started.outcome != portal::Answer::Outcome::Granted) {
        taking_ = false;
        return portal::Explain(started, "take a screenshot").toStdString();
    }
    const std::optional<StoredConsent> consent = GnomeScreenshotConsent(kStoreTimeoutMs);
    const bool userAsked = consent == StoredConsent::Unknown;
    // One deadline for the whole exchange: asking, and reading the file.
    const auto deadline =
        std::chrono::steady_clock::now() +
        std::chrono::milliseconds(userAsked ? kUserAnswerTimeoutMs : kAnswerTimeoutMs);
    ScreenshotRules rules;
    const Bound bound = LargestScreenshot(xScreenSize_);
    rules.maxWidth = bound.width;
    rules.maxHeight = bound.height;
    rules.maxPixels = bound.pixels;
    rules.deadline = deadline;
    rules.keepFile = keepPngFile_;
    ::clock_gettime(CLOCK_REALTIME, &rules.asked);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (userAsked) {
        PostNotice(AskingNotice());
    }
    const portal::Answer answer =
        portal::Call("org.freedesktop.portal.Screenshot", "Screenshot", {QString()},
                     {{"interactive", false}, {"modal", false}},
                     static_cast<int>(std::max<std::int64_t>(1, left.count())),
                     [rules](const portal::Answer& late) { DiscardLateScreenshot(rules, late); });
    taking_ = false;
    if (userAsked) {
        PostNotice({});
    }
    if (answer.outcome != portal::Answer::Outcome::Granted) {
        if (userAsked) {
            return AskedAndNotGranted(answer);
        }
        if (consent == StoredConsent::No && (answer.outcome == portal::Answer::Outcome::Refused ||
                                             answer.outcome == portal::Answer::Outcome::Ended)) {
            return "the desktop refused: it remembers that screenshots were not allowed when "
                   "it asked (its dialog's Deny, or Escape)";
        }
        return portal::Explain(answer, "take a screenshot").toStdString();
    }
    const std::string uri = answer.results.value("uri").toString().toStdString();
    std::string error;
    std::optional<Picture> picture = TakeScreenshotFile(uri, rules, error);
    if (!picture) {
        return "the desktop portal's screenshot \"" + Printable(uri) +
               "\" is refused and left alone: " + error;
    }
    picture_ = std::move(*picture);
    return {};
}

}  // namespace platform
