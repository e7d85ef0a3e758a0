#include "app/cli_capture.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "capture/foreground_window.h"
#include "capture/screen_grab.h"
#include "capture/window_in_front.h"
#include "output/picture_file.h"
#include "platform/desktop_notice.h"
#include "platform/raster/raster.h"
#include "platform/text/printable.h"

namespace app {
namespace {

// The contexts and bitmap of one capture, released on every path.
struct CaptureHandles {
    HDC screen = 0;
    HDC memory = 0;
    HBITMAP bitmap = 0;

    CaptureHandles() = default;
    CaptureHandles(const CaptureHandles&) = delete;
    CaptureHandles& operator=(const CaptureHandles&) = delete;
    ~CaptureHandles() {
        DeleteDC(memory);
        DeleteObject(bitmap);
        DeleteDC(screen);
    }
};

// The part of the screen the request names, or empty with the reason.
std::optional<ScreenRectangle> RequestedRectangle(const CaptureRequest& request,
                                                  std::string& error) {
    const std::shared_ptr<raster::ScreenSource> screen = raster::CurrentScreenSource();
    const raster::Size size = screen ? screen->size() : raster::Size{};
    if (size.width <= 0 || size.height <= 0) {
        error = "the size of the X screen cannot be read";
        return std::nullopt;
    }
    switch (request.area) {
        case CaptureArea::Screen:
            return ScreenRectangle{0, 0, size.width, size.height};
        case CaptureArea::Geometry:
            return PlaceOnScreen(request.geometry, size.width, size.height, error);
        case CaptureArea::ActiveWindow: {
            using Outcome = capture::WindowInFront::Outcome;
            const capture::WindowInFront window =
                capture::FindWindowInFront(*platform::CurrentBackend());
            switch (window.outcome) {
                case Outcome::Found:
                    // The frame's rectangle, with the parts off the screen
                    // black.
                    return ScreenRectangle{window.rect.left, window.rect.top, window.size.width,
                                           window.size.height};
                case Outcome::DesktopCannotTell:
                    error =
                        "this desktop does not let programs find the window in front; "
                        "capture it with --geometry instead";
                    break;
                case Outcome::NoWindow:
                    error = "no window is in the foreground";
                    break;
                case Outcome::NotFound:
                    error = "the window in front cannot be found: " + window.why;
                    break;
                case Outcome::NotMeasured:
                    error = "the window in front cannot be measured: " + window.why;
                    break;
                case Outcome::Gone:
                    error = "no window is in the foreground (the window last named active is gone)";
                    break;
                case Outcome::NoCaptureSize:
                    error = "the window in front is " + std::to_string(window.width()) + " x " +
                            std::to_string(window.height()) +
                            " pixels, which is no size a capture can have";
                    break;
            }
            return std::nullopt;
        }
    }
    error = "unknown capture area";
    return std::nullopt;
}

// Why the X server cannot give `area`, or empty: its requests name pixels
// up to 32767 across and down, and a capture is at most that size.
std::string BeyondReach(const CaptureRequest& request, const ScreenRectangle& area) {
    constexpr std::int64_t kMax = capture::kMaxCaptureSide;
    if (area.width > kMax || area.height > kMax) {
        return std::string(request.area == CaptureArea::Screen ? "the X screen" : "the rectangle") +
               " is " + std::to_string(area.width) + " x " + std::to_string(area.height) +
               " pixels, and a capture can be at most " + std::to_string(kMax) +
               " pixels wide and " + std::to_string(kMax) + " high";
    }
    if (area.x > kMax || area.y > kMax) {
        return "the rectangle starts at (" + std::to_string(area.x) + ", " +
               std::to_string(area.y) + "), and the X server reads no pixel beyond " +
               std::to_string(kMax) + " across or down";
    }
    return {};
}

// Standard output, written and flushed: false when that fails, which is
// then said on standard error.
bool Print(const std::string& text) {
    errno = 0;
    if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) {
        return true;
    }
    std::fprintf(stderr, "tessarine: cannot write to standard output: %s\n",
                 std::strerror(errno != 0 ? errno : EIO));
    return false;
}

}  // namespace

int ReportCaptureFailure(const std::string& message) {
    std::fprintf(stderr, "tessarine: %s\n", platform::Printable(message).c_str());
    return kExitFailure;
}

std::string CaptureToFile(const CaptureRequest& request) {
    std::string error;
    const std::optional<ScreenRectangle> area = RequestedRectangle(request, error);
    if (!area) {
        return error;
    }
    if (std::string why = BeyondReach(request, *area); !why.empty()) {
        return why;
    }
    const int width = static_cast<int>(area->width);
    const int height = static_cast<int>(area->height);

    std::string why;
    const std::optional<capture::ScreenGrab> grab = capture::GrabScreen(
        static_cast<int>(area->x), static_cast<int>(area->y), width, height, why);
    if (!grab) {
        return why;
    }
    CaptureHandles handles;
    handles.screen = grab->screen;
    handles.memory = grab->memory;
    handles.bitmap = grab->bitmap;
    const std::optional<raster::PixelView> pixels = raster::ContextPixels(handles.memory);
    if (!pixels) {
        return "the capture holds no image";
    }
    const output::WriteResult written = output::WritePictureFile(
        request.file, {pixels->pixels, pixels->width, pixels->height, pixels->width},
        request.format);
    return written.ok ? std::string() : written.message;
}

std::optional<int> RunWithoutWindow(int argc, char** argv, CaptureRunner runCapture,
                                    HotKeyRunner runHotKey) {
    const ParsedCommandLine parsed =
        ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.commandLine) {
        std::fprintf(stderr, "tessarine: %s (see tessarine --help)\n",
                     platform::Printable(parsed.error).c_str());
        return kExitUsage;
    }
    switch (parsed.commandLine->action) {
        case Action::ShowVersion:
            return Print(VersionText()) ? kExitSuccess : kExitFailure;
        case Action::ShowHelp:
            return Print(UsageText()) ? kExitSuccess : kExitFailure;
        case Action::Capture:
            return runCapture(parsed.commandLine->capture);
        case Action::HotKey:
            return runHotKey(parsed.commandLine->hotKey);
        case Action::RunProgram:
            break;
    }
    return std::nullopt;
}

int RunCaptureWithBackend(const CaptureRequest& request,
                          const std::shared_ptr<platform::Backend>& backend) {
    platform::ScopedBackend scope(backend);
    // What the desktop asks the user meanwhile (whether we may take
    // screenshots, say) is said at once: the capture waits for the answer.
    platform::SetNoticeSink([](const std::string& notice) {
        if (!notice.empty()) {
            std::fprintf(stderr, "tessarine: %s\n", platform::Printable(notice).c_str());
        }
    });
    const std::shared_ptr<raster::ScreenSource> source = backend->screenSource();
    if (!source) {
        return ReportCaptureFailure("the size of the X screen cannot be read");
    }
    std::string error;
    if (request.delaySeconds > 0) {
        // A rectangle that cannot be on this screen is said at once, not
        // after the wait; it is checked again against the screen as it is
        // when the capture is taken. (A source that gets the screen whole
        // knows its size only then.)
        const raster::Size size = source->size();
        if (request.area == CaptureArea::Geometry && size.width > 0 && size.height > 0) {
            if (!PlaceOnScreen(request.geometry, size.width, size.height, error)) {
                return ReportCaptureFailure(error);
            }
        }
        std::this_thread::sleep_for(std::chrono::duration<double>(request.delaySeconds));
    }
    error = source->freeze();
    if (error.empty()) {
        error = CaptureToFile(request);
    }
    if (!error.empty()) {
        return ReportCaptureFailure(error);
    }
    return kExitSuccess;
}

}  // namespace app
