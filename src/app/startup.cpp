#include "app/startup.h"

#include <malloc.h>
#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/handle_report.h"
#include "app/hot_key_cli.h"
#include "app/interface_font.h"
#include "app/lost_display.h"
#include "app/release_everything.h"
#include "app/termination.h"
#include "app/toolkit_start.h"
#include "app/x11_cli_capture.h"
#include "cli/cli_capture.h"
#include "platform/backend.h"
#include "platform/open_backend.h"
#include "platform/session_kind.h"
#include "platform/wayland/session_bus.h"
#include "platform/x11/display_name.h"
#include "platform/x11/screen_visual.h"
#include "ui/main/form1.h"

namespace app {
namespace {

// The kind of session, detected on first use and kept for the run.
platform::SessionKind Session() {
    static const platform::SessionKind session = platform::DetectSession(platform::DisplayName());
    return session;
}

// A capture from the command line. In a Wayland session it needs the event
// loop of the D-Bus connection to the portal, and no more.
std::optional<int> RunCapture(const CaptureRequest& request) {
    if (const std::string problem = platform::SessionOverrideProblem(); !problem.empty()) {
        return ReportUsageError(problem, false);
    }
    if (Session() != platform::SessionKind::Wayland) {
        return RunCommandLineCapture(request);
    }
    int argc = 1;
    char name[] = "tessarine";
    char* argv[] = {name, nullptr};
    platform::SettleSessionBusAddress();
    QCoreApplication application(argc, argv);
    std::string error;
    bool unreachable = false;
    return RunCaptureWithBackend(request, platform::OpenBackend(platform::SessionKind::Wayland,
                                                                nullptr, error, unreachable));
}

}  // namespace

int Run(int argc, char** argv) {
    IgnoreFileSizeSignal();
    // Decided before anything of the user interface starts: --help,
    // --version and a capture from the command line need no window.
    if (const std::optional<int> status =
            RunWithoutWindow(argc, argv, &RunCapture, &HandHotKeyOver)) {
        return *status;
    }
    if (const std::string problem = platform::SessionOverrideProblem(); !problem.empty()) {
        return ReportUsageError(problem, false);
    }

    // Pixel buffers are large and short-lived. A fixed mmap threshold keeps
    // each one in its own mapping that goes back to the system when freed;
    // glibc's adaptive threshold would otherwise move them onto the heap,
    // where freed buffers stay resident.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);

    // The windows speak X11 (XWayland in a Wayland session), and so do the
    // screen reader and the global hot keys of an X11 session.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    // The toolkit opens its windows where -display says; the screen is read
    // and the windows are asked about on that same display.
    platform::UseDisplay(platform::DisplayArgument(std::vector<std::string>(argv, argv + argc)));
    std::string error;
    bool unreachable = false;
    std::shared_ptr<platform::Backend> backend =
        platform::OpenBackend(Session(), platform::DisplayName(), error, unreachable);
    if (!backend) {
        // Advice about the display helps only when there is none to reach.
        std::fprintf(stderr, "tessarine: %s%s\n", error.c_str(),
                     unreachable ? " (start it from an X11 desktop session, or set DISPLAY to a "
                                   "running X server)"
                                 : "");
        return 1;
    }
    platform::InstallBackend(std::move(backend));

    // The toolkit connects to the session bus (accessibility, the theme)
    // from here on: with no bus, none may be started for it, and a bus
    // that does not answer is done without where the session allows.
    platform::SettleSessionBusAddress();
    if (platform::SessionBusIsSilent()) {
        const std::string why = platform::MissingSessionBus();
        if (Session() == platform::SessionKind::Wayland) {
            std::fprintf(stderr,
                         "tessarine: %s; the screen of a Wayland session comes through the "
                         "desktop portal on it\n",
                         why.c_str());
            platform::InstallBackend(nullptr);
            return 1;
        }
        std::fprintf(stderr,
                     "tessarine: %s; running without it (no screen reader, no tessarine "
                     "--hot-key)\n",
                     why.c_str());
    }
    InstallLostDisplayHandler();
    std::optional<ToolkitStartGuard> starting(std::in_place);
    QApplication application(argc, argv);
    starting.reset();
    if (const std::string why = platform::ScreenTheToolkitCannotDraw(); !why.empty()) {
        // Before any window is drawn: the toolkit would crash painting it.
        std::fprintf(stderr,
                     "tessarine: %s; tessarine --capture FILE captures this screen without a "
                     "window.\n",
                     why.c_str());
        platform::InstallBackend(nullptr);
        return 1;
    }
    InstallHandleReport();
    QApplication::setApplicationName("Tessarine");
    QApplication::setOrganizationName("Lumograph");
    QApplication::setApplicationVersion(TESSARINE_VERSION);
    QApplication::setQuitOnLastWindowClosed(false);
    EndEventLoopOnTermination();
    UseInterfaceFont();

    int status;
    {
        auto form = std::make_unique<Form1>();
        form->Form_Load();
        status = QApplication::exec();
        ReleaseEverything(form.get());
    }
    platform::InstallBackend(nullptr);
    return status;
}

}  // namespace app
