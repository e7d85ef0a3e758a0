#pragma once
// The capture from the command line: no window, no event loop. It copies
// the screen through a display context exactly as the capture handlers do
// and writes the copy with the writers that Save uses.

#include <signal.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "platform/backend.h"

namespace app {

// Exit statuses of the command line.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // the capture or the write failed
inline constexpr int kExitUsage = 2;    // the command line cannot be used

// For each program's start: a file too large for RLIMIT_FSIZE then fails
// its write with EFBIG, which the save reports, instead of the signal
// ending the program.
// Systems without the signal (Windows) fail such a write anyway.
inline void IgnoreFileSizeSignal() {
#ifdef SIGXFSZ
    ::signal(SIGXFSZ, SIG_IGN);
#endif
}

// Runs a capture from the command line and returns the exit status, or
// empty to leave it to the window program.
using CaptureRunner = std::optional<int> (*)(const CaptureRequest& request);

// Hands a --hot-key press to the running window program and returns the
// exit status.
using HotKeyRunner = int (*)(const std::string& name);

// Answers the command line when it needs no window: a usage error, --help,
// --version, --capture (through `runCapture`, which may decline it) or
// --hot-key. Returns the exit status then, or empty when the window
// program is to run. Touches nothing of the user interface.
std::optional<int> RunWithoutWindow(int argc, char** argv, CaptureRunner runCapture,
                                    HotKeyRunner runHotKey);

// Installs `backend` for the capture, waits the request's delay, freezes
// its screen, captures and writes the file. Says what failed on standard
// error, in one line beginning "tessarine: ", and returns the exit status.
int RunCaptureWithBackend(const CaptureRequest& request,
                          const std::shared_ptr<platform::Backend>& backend);

// Says that the command line cannot be used, as `message` says, on standard
// error in one line beginning "tessarine: " (pointing to --help when that
// tells more), and returns kExitUsage.
int ReportUsageError(const std::string& message, bool pointToHelp = true);

// Says `message` on standard error, in one line beginning "tessarine: ",
// and returns kExitFailure.
int ReportCaptureFailure(const std::string& message);

// Puts the PNG that `makePng` makes on the clipboard and returns true, or
// false with the reason. `makePng` may run after the call has returned, in
// another process with a copy of this one's memory.
using ClipboardServer = bool (*)(const std::function<std::vector<std::uint8_t>()>& makePng,
                                 std::string& error);

// What --clipboard uses; none (the default) makes --clipboard fail with a
// reason.
void SetClipboardServer(ClipboardServer server);

// The capture and the write, from the installed backend, with no delay. Returns empty on success,
// otherwise what failed; the file is then untouched. A FILE made from a
// template is said on standard output.
std::string CaptureToFile(const CaptureRequest& request);

}  // namespace app
