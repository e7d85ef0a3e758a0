// `tessarine --capture` in a Wayland session, and `tessarine --hot-key`,
// which the launcher executes in its own place: both speak D-Bus (the
// screen comes through the desktop portal), so this program loads Qt's
// core and D-Bus modules, and no more.

#include <QCoreApplication>
#include <cstdio>
#include <memory>
#include <string>

#include "app/hot_key_cli.h"
#include "cli/cli_capture.h"
#include "platform/wayland/data_control_clipboard.h"
#include "platform/wayland/portal_backend.h"
#include "platform/wayland/session_bus.h"
#include "platform/x11/clipboard_server.h"
#include "platform/x11/x11_session.h"

namespace {

int argumentCount = 1;
char programName[] = "tessarine";
char* arguments[] = {programName, nullptr};

// The command line answers in one line of its own: the toolkit's debug and
// warning chatter (its D-Bus layer's, as the process ends) is not for the
// user. Its critical and fatal messages still go out.
QtMessageHandler standardHandler = nullptr;

void KeepToolkitQuiet(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if ((type == QtCriticalMsg || type == QtFatalMsg) && standardHandler) {
        standardHandler(type, context, message);
    }
}

// The desktop's own clipboard where it lets a program without a window set
// it; elsewhere XWayland's, as the window program's Copy uses it, which
// reaches the X11 programs.
bool ServeClipboard(const platform::PngMaker& makePng, std::string& failure) {
    std::string why;
    switch (platform::ServeWaylandClipboardPng(makePng, why)) {
        case platform::WaylandClipboard::Serving:
            return true;
        case platform::WaylandClipboard::Failed:
            failure = why;
            return false;
        case platform::WaylandClipboard::NotOffered:
            break;
    }
    if (!platform::ServeClipboardPng(nullptr, makePng, failure)) {
        return false;
    }
    std::fprintf(stderr,
                 "tessarine: the picture went to XWayland's clipboard, where X11 programs read "
                 "it; native Wayland programs see it only if the desktop passes it on (%s; "
                 "Edit > Copy in the window reaches them)\n",
                 why.c_str());
    return true;
}

std::optional<int> CaptureThroughPortal(const app::CaptureRequest& request) {
    platform::SettleSessionBusAddress();
    standardHandler = qInstallMessageHandler(&KeepToolkitQuiet);
    QCoreApplication application(argumentCount, arguments);
    app::SetClipboardServer(&ServeClipboard);
    return app::RunCaptureWithBackend(
        request, platform::OpenPortalBackend([] { return platform::XScreenSize(nullptr); }));
}

}  // namespace

int main(int argc, char** argv) {
    app::IgnoreFileSizeSignal();
    // The launcher has checked the command line: anything but a capture
    // here is a usage error or --help, answered as it would be.
    return app::RunWithoutWindow(argc, argv, &CaptureThroughPortal, &app::HandHotKeyOver)
        .value_or(app::kExitUsage);
}
