#include "app/x11_cli_capture.h"

#include <cstdlib>
#include <memory>
#include <string>

#include "cli/cli_capture.h"
#include "platform/x11/clipboard_server.h"
#include "platform/x11/x11_backend.h"

namespace app {

int RunCommandLineCapture(const CaptureRequest& request) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return ReportCaptureFailure("cannot open the X display: DISPLAY is not set");
    }
    std::string error;
    // One read: a shared-memory segment would cost more than it saves. And
    // no keys are held without a window.
    std::shared_ptr<platform::Backend> backend = platform::OpenX11Backend(
        nullptr, platform::X11ScreenReader::Transfer::GetImageOnly, nullptr, error);
    if (!backend) {
        return ReportCaptureFailure(error);
    }
    SetClipboardServer([](const platform::PngMaker& makePng, std::string& failure) {
        return platform::ServeClipboardPng(nullptr, makePng, failure);
    });
    return RunCaptureWithBackend(request, backend);
}

}  // namespace app
