#include "cli/cli_capture.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "capture/foreground_window.h"
#include "capture/screen_grab.h"
#include "capture/window_in_front.h"
#include "output/file_name_template.h"
#include "output/picture_file.h"
#include "output/picture_stream.h"
#include "output/png_file.h"
#include "platform/desktop_notice.h"
#include "platform/files/fd_sink.h"
#include "platform/raster/raster.h"
#include "platform/text/printable.h"

namespace app {
namespace {

// The contexts and bitmap of one capture, released on every path.
struct CaptureHandles {
    capture::ScreenGrab grab;

    CaptureHandles() = default;
    CaptureHandles(const CaptureHandles&) = delete;
    CaptureHandles& operator=(const CaptureHandles&) = delete;
    ~CaptureHandles() { release(); }
    void release() {
        capture::ReleaseGrab(grab);
        grab = {};
    }
};

ClipboardServer clipboardServer = nullptr;

// The monitor named `name`, or the one under the pointer for "current",
// within the screen; empty with the reason.
std::optional<ScreenRectangle> MonitorRectangle(const std::string& name, raster::Size screen,
                                                std::string& error) {
    platform::Backend& backend = *platform::CurrentBackend();
    const std::vector<platform::MonitorArea> monitors = backend.monitors();
    if (monitors.empty()) {
        error = "cannot capture a monitor: the window system names no monitors";
        return std::nullopt;
    }
    const platform::MonitorArea* chosen = nullptr;
    if (name == "current") {
        const auto pointer = backend.pointerPosition();
        if (!pointer) {
            error = "cannot capture the current monitor: the pointer cannot be found";
            return std::nullopt;
        }
        for (const platform::MonitorArea& monitor : monitors) {
            if (pointer->first >= monitor.rect.left && pointer->first < monitor.rect.right &&
                pointer->second >= monitor.rect.top && pointer->second < monitor.rect.bottom) {
                chosen = &monitor;
                break;
            }
        }
        if (chosen == nullptr) {
            error = "cannot capture the current monitor: the pointer is on none";
            return std::nullopt;
        }
    } else {
        std::string names;
        for (const platform::MonitorArea& monitor : monitors) {
            if (monitor.name == name) {
                chosen = &monitor;
                break;
            }
            names += (names.empty() ? "" : ", ") + monitor.name;
        }
        if (chosen == nullptr) {
            error = "cannot capture the monitor \"" + name + "\": there is none of that name (" +
                    names + ")";
            return std::nullopt;
        }
    }
    // Only the part on the screen: a monitor never lies beyond it, but its
    // numbers come from the window system.
    const std::int64_t left = std::max<std::int64_t>(chosen->rect.left, 0);
    const std::int64_t top = std::max<std::int64_t>(chosen->rect.top, 0);
    const std::int64_t right = std::min<std::int64_t>(chosen->rect.right, screen.width);
    const std::int64_t bottom = std::min<std::int64_t>(chosen->rect.bottom, screen.height);
    if (right <= left || bottom <= top) {
        error = "cannot capture the monitor \"" + chosen->name + "\": it lies off the screen";
        return std::nullopt;
    }
    return ScreenRectangle{left, top, right - left, bottom - top};
}

// Draws the pointer's picture over `pixels`, which show the screen from
// (originX, originY); false when the window system gives no picture.
bool DrawPointer(const raster::PixelView& pixels, std::int64_t originX, std::int64_t originY) {
    const std::optional<platform::PointerPicture> pointer =
        platform::CurrentBackend()->pointerPicture();
    if (!pointer) {
        return false;
    }
    for (int row = 0; row < pointer->height; ++row) {
        const std::int64_t y = pointer->top + row - originY;
        if (y < 0 || y >= pixels.height) {
            continue;
        }
        for (int column = 0; column < pointer->width; ++column) {
            const std::int64_t x = pointer->left + column - originX;
            if (x < 0 || x >= pixels.width) {
                continue;
            }
            // Premultiplied: the picture's colour plus what shows through.
            const std::uint32_t over =
                pointer->pixels[static_cast<std::size_t>(row) * pointer->width + column];
            const std::uint32_t through = 255 - (over >> 24);
            std::uint32_t& under = pixels.row(static_cast<int>(y))[x];
            std::uint32_t blended = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const std::uint32_t channel =
                    ((over >> shift) & 0xff) + (((under >> shift) & 0xff) * through + 127) / 255;
                blended |= std::min<std::uint32_t>(channel, 255) << shift;
            }
            under = blended;
        }
    }
    return true;
}

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
        case CaptureArea::Monitor:
            return MonitorRectangle(request.monitor, size, error);
        case CaptureArea::ActiveWindow: {
            const capture::WindowInFront window =
                capture::FindWindowInFront(*platform::CurrentBackend());
            if (window.outcome == capture::WindowInFront::Outcome::Found) {
                // The frame's rectangle, with the parts off the screen black.
                return ScreenRectangle{window.rect.left, window.rect.top, window.size.width,
                                       window.size.height};
            }
            error = capture::WhyNoWindowInFront(window);
            if (window.outcome == capture::WindowInFront::Outcome::DesktopCannotTell) {
                error += "; capture it with --geometry instead";
            }
            return std::nullopt;
        }
    }
    error = "unknown capture area";
    return std::nullopt;
}

// Whether the request wants the whole screen as a PNG file, as the screen
// source may already hold it (raster::ScreenSource::pngFile).
bool WantsScreenAsPng(const CaptureRequest& request) {
    return request.area == CaptureArea::Screen && request.format == output::PictureFormat::Png &&
           !request.pointer;
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

// Why the request's rectangle does not lie on a screen of `size`, or empty
// (also while the size is not known).
std::string OffScreen(const CaptureRequest& request, raster::Size size) {
    std::string error;
    if (request.area == CaptureArea::Geometry && size.width > 0 && size.height > 0) {
        PlaceOnScreen(request.geometry, size.width, size.height, error);
    }
    return error;
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

void SetClipboardServer(ClipboardServer server) {
    clipboardServer = server;
}

int ReportUsageError(const std::string& message, bool pointToHelp) {
    std::fprintf(stderr, "tessarine: %s%s\n", platform::Printable(message).c_str(),
                 pointToHelp ? " (see tessarine --help)" : "");
    return kExitUsage;
}

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

    // The whole screen as the checked PNG file the desktop made of it, when
    // it came as one: written as it is, with no pixels copied or encoded.
    const std::shared_ptr<raster::ScreenSource> source = raster::CurrentScreenSource();
    const std::span<const std::uint8_t> screenPng =
        WantsScreenAsPng(request) && source ? source->pngFile() : std::span<const std::uint8_t>();
    CaptureHandles handles;
    output::PixelRows rows;
    if (screenPng.empty()) {
        std::string why;
        const std::optional<capture::ScreenGrab> grab = capture::GrabScreen(
            static_cast<int>(area->x), static_cast<int>(area->y), width, height, why);
        if (!grab) {
            return why;
        }
        handles.grab = *grab;
        const std::optional<raster::PixelView> pixels = raster::ContextPixels(grab->memory);
        if (!pixels) {
            return "the capture holds no image";
        }
        if (request.pointer && !DrawPointer(*pixels, area->x, area->y)) {
            return "cannot draw the pointer: the desktop does not give programs its picture";
        }
        rows = {pixels->pixels, pixels->width, pixels->height, pixels->width};
    }
    if (request.clipboard) {
        if (clipboardServer == nullptr) {
            return "cannot copy the picture: this session's clipboard cannot be reached from "
                   "the command line";
        }
        // The pixels stay where they are until the PNG is made. The serving
        // process then needs nothing else of the capture, and lets it go.
        const pid_t caller = ::getpid();
        const auto makePng = [&rows, &handles, screenPng, source, caller] {
            std::vector<std::uint8_t> png =
                screenPng.empty() ? output::EncodePng(rows).bytes
                                  : std::vector<std::uint8_t>(screenPng.begin(), screenPng.end());
            if (::getpid() != caller) {
                handles.release();
                if (source) {
                    source->releaseAll();
                }
            }
            return png;
        };
        if (std::string failure; !clipboardServer(makePng, failure)) {
            return failure;
        }
    }
    if (request.standardOutput) {
        // A reader that has gone is a failure said in one line, not a
        // signal. (Windows has none: the write fails.)
#ifdef SIGPIPE
        ::signal(SIGPIPE, SIG_IGN);
#endif
        platform::files::FdSink standardOutput(STDOUT_FILENO);
        const output::WriteResult written =
            screenPng.empty()
                ? output::WritePictureToStream(standardOutput, rows, request.format,
                                               request.quality)
                : output::WriteBytesToStream(standardOutput, screenPng.data(), screenPng.size());
        return written.message;
    }
    if (request.file.empty()) {
        return {};
    }
    std::string path = output::ExpandHome(request.file);
    const bool fromTemplate = output::IsFileNameTemplate(request.file);
    const output::NameRule rule =
        fromTemplate ? output::NameRule::FirstFree : output::NameRule::Replace;
    if (fromTemplate) {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        const std::optional<std::string> filled =
            output::FillFileNameTemplate(request.file, local, width, height);
        if (!filled) {
            return "cannot make a file name of \"" + request.file +
                   "\": a time field cannot be filled in";
        }
        // The name goes to standard output, where scripts read it whole on
        // one line: a control character in it (%n, %t) could not go there.
        if (platform::Printable(*filled) != *filled) {
            return "cannot make a file name of \"" + request.file +
                   "\": it would hold a control character (%n, %t), and the file's name is printed "
                   "on one line for scripts";
        }
        path = *filled;
    }
    const output::WriteResult written =
        screenPng.empty()
            ? output::WritePictureFile(path, rows, request.format, request.quality, rule)
            : output::WriteEncodedPicture(path, screenPng.data(), screenPng.size(), request.format,
                                          rule);
    if (!written.ok) {
        return written.message;
    }
    if (fromTemplate) {
        // For scripts, which read where the picture went.
        errno = 0;
        if (std::fputs((written.path + "\n").c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
            return "cannot write the file's name to standard output: " +
                   std::string(std::strerror(errno != 0 ? errno : EIO));
        }
    }
    return {};
}

std::optional<int> RunWithoutWindow(int argc, char** argv, CaptureRunner runCapture,
                                    HotKeyRunner runHotKey) {
    const ParsedCommandLine parsed =
        ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.commandLine) {
        return ReportUsageError(parsed.error);
    }
    switch (parsed.commandLine->action) {
        case Action::ShowVersion:
            return Print(VersionText()) ? kExitSuccess : kExitFailure;
        case Action::ShowHelp:
            return Print(UsageText()) ? kExitSuccess : kExitFailure;
        case Action::Capture:
            if (parsed.commandLine->capture.standardOutput && ::isatty(STDOUT_FILENO)) {
                return ReportUsageError(
                    "--capture - writes the picture to standard output, which is a terminal "
                    "here; pipe it on or redirect it to a file");
            }
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
    // A rectangle that cannot be on this screen is a command line that
    // cannot be used, as a malformed one is. It is said at once, not after
    // the delay, and checked again against the screen as it is when the
    // capture is taken. (A source that gets the screen whole knows its size
    // only then.)
    std::string error = OffScreen(request, source->size());
    if (!error.empty()) {
        return ReportUsageError(error);
    }
    if (request.delaySeconds > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(request.delaySeconds));
    }
    if (WantsScreenAsPng(request)) {
        source->keepPngFile();
    }
    error = source->freeze();
    if (error.empty()) {
        if (std::string offScreen = OffScreen(request, source->size()); !offScreen.empty()) {
            return ReportUsageError(offScreen);
        }
        error = CaptureToFile(request);
    }
    if (!error.empty()) {
        return ReportCaptureFailure(error);
    }
    return kExitSuccess;
}

}  // namespace app
