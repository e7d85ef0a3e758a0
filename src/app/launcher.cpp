// The `tessarine` command. It answers --help, --version and, in an X11
// session, --capture itself, so that they load none of the user-interface
// libraries (their loading and relocation alone would take longer than the
// whole capture). It hands everything else to the window program,
// tessarine-window, and a capture in a Wayland session to tessarine-portal,
// by executing them in its own place with the same arguments.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "app/x11_cli_capture.h"
#include "base/sibling_program.h"
#include "cli/cli_capture.h"
#include "platform/session_kind.h"
#include "platform/text/printable.h"

namespace {

// Beside this program (the build tree, or an installation that keeps them
// in one folder), otherwise where the installation puts it. When none is
// there, the installed path, which the failed start then names.
std::string HelperProgram(const char* name, const char* installed) {
    const std::string found = base::SiblingProgram(name, TESSARINE_HELPERS_FROM_BIN, installed);
    return found.empty() ? installed : found;
}

// Executes a helper in this process's place with the same arguments;
// returns only when that fails.
int Become(const std::string& program, char** argv) {
    ::execv(program.c_str(), argv);
    const int failure = errno;
    std::fprintf(stderr, "tessarine: cannot start %s: %s\n", platform::Printable(program).c_str(),
                 std::strerror(failure));
    return app::kExitFailure;
}

char** arguments = nullptr;

// In a Wayland session the screen comes through the desktop portal, over
// D-Bus: the capture is left to tessarine-portal, which speaks it.
std::optional<int> CaptureHere(const app::CaptureRequest& request) {
    if (const std::string problem = platform::SessionOverrideProblem(); !problem.empty()) {
        return app::ReportUsageError(problem, false);
    }
    if (platform::DetectSession() == platform::SessionKind::Wayland) {
        return Become(HelperProgram("tessarine-portal", TESSARINE_PORTAL_PROGRAM), arguments);
    }
    return app::RunCommandLineCapture(request);
}

// The press goes over the session bus: tessarine-portal speaks D-Bus.
int HotKeyHere(const std::string&) {
    return Become(HelperProgram("tessarine-portal", TESSARINE_PORTAL_PROGRAM), arguments);
}

}  // namespace

int main(int argc, char** argv) {
    app::IgnoreFileSizeSignal();
    arguments = argv;
    if (const std::optional<int> status =
            app::RunWithoutWindow(argc, argv, &CaptureHere, &HotKeyHere)) {
        return *status;
    }
    if (const std::string problem = platform::SessionOverrideProblem(); !problem.empty()) {
        return app::ReportUsageError(problem, false);
    }
    return Become(HelperProgram("tessarine-window", TESSARINE_WINDOW_PROGRAM), argv);
}
