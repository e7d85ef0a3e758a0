// The `tessarine` command. It answers --help, --version and --capture
// itself, so that they load none of the user-interface libraries (their
// loading and relocation alone would take longer than the whole capture),
// and hands everything else to the window program, tessarine-window, by
// executing it in its own place with the same arguments.

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "app/cli_capture.h"

namespace {

// Beside this program (the build tree, or an installation that keeps both
// in one folder), otherwise where the installation puts it, found from this
// program's folder first, so that an installation under another prefix
// works too.
std::string WindowProgram() {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        self[length] = '\0';
        std::string folder(self);
        folder.erase(folder.rfind('/') + 1);
        for (const char* relative : {"tessarine-window", TESSARINE_WINDOW_PROGRAM_FROM_BIN}) {
            const std::string candidate = folder + relative;
            if (::access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
    }
    return TESSARINE_WINDOW_PROGRAM;
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status = app::RunWithoutWindow(argc, argv)) {
        return *status;
    }
    const std::string program = WindowProgram();
    ::execv(program.c_str(), argv);
    std::fprintf(stderr, "tessarine: cannot start the window program %s: %s\n", program.c_str(),
                 std::strerror(errno));
    return app::kExitFailure;
}
