// `tessarine.exe`: the command line on Windows, a console program beside
// the window program (tessarine-window.exe). A console program, because
// cmd and PowerShell wait only for those: the exit status then reaches
// %ERRORLEVEL% and $LASTEXITCODE, the output comes before the next prompt,
// and redirection and pipes reach it. The arguments come as UTF-16 and go
// on as UTF-8; messages go out as UTF-8, on a console too.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_capture.h"
#include "platform/files/utf16.h"
#include "platform/text/printable.h"
#include "platform/win32/clipboard_picture.h"
#include "platform/win32/system_message.h"
#include "platform/win32/win32_backend.h"

namespace {

std::optional<int> CaptureHere(const app::CaptureRequest& request) {
    // The clipboard keeps the picture after this program ends.
    app::SetClipboardServer(
        [](const std::function<std::vector<std::uint8_t>()>& makePng, std::string& error) {
            return platform::win32::PutPngOnClipboard(makePng(), error);
        });
    return app::RunCaptureWithBackend(request, platform::OpenWin32Backend());
}

// Windows lets a program hold its keys itself: no desktop's key bindings
// hand presses on.
int HotKeyHere(const std::string&) {
    return app::ReportCaptureFailure(
        "--hot-key is for desktops that let no program hold keys; on Windows the window program "
        "holds Print itself");
}

// The folder this program lies in, with a trailing backslash.
std::wstring OwnFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// This program's command line after its own name, as it was given. The
// name ends at the closing quote when quoted, otherwise at the first blank
// (the rule CommandLineToArgvW applies to it).
std::wstring ArgumentsGiven() {
    const std::wstring_view line = ::GetCommandLineW();
    std::size_t end = 0;
    if (!line.empty() && line[0] == L'"') {
        end = line.find(L'"', 1);
        end = end == std::wstring_view::npos ? line.size() : end + 1;
    } else {
        end = line.find_first_of(L" \t");
        end = end == std::wstring_view::npos ? line.size() : end;
    }
    const std::size_t rest = line.find_first_not_of(L" \t", end);
    return rest == std::wstring_view::npos ? std::wstring() : std::wstring(line.substr(rest));
}

// Starts the window program with this command line's arguments and returns
// at once, as starting a window program from a console does.
int StartWindowProgram() {
    const std::wstring program = OwnFolder() + L"tessarine-window.exe";
    std::wstring commandLine = L"\"" + program + L"\" " + ArgumentsGiven();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process)) {
        return app::ReportCaptureFailure("cannot start " + platform::files::Utf8FromWide(program) +
                                         ": " + platform::win32::SystemMessage(::GetLastError()));
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return app::kExitSuccess;
}

}  // namespace

int wmain(int argc, wchar_t** wideArgv) {
    // Messages are UTF-8; a console shows them so while this program runs,
    // and gets its own code page back afterwards.
    const UINT consoleCodePage = ::GetConsoleOutputCP();
    if (consoleCodePage != 0) {
        ::SetConsoleOutputCP(CP_UTF8);
    }
    // Pictures go to standard output byte for byte.
    ::_setmode(_fileno(stdout), _O_BINARY);

    std::vector<std::string> utf8(static_cast<std::size_t>(argc));
    std::vector<char*> argv;
    for (int i = 0; i < argc; ++i) {
        utf8[static_cast<std::size_t>(i)] = platform::files::Utf8FromWide(wideArgv[i]);
    }
    for (std::string& argument : utf8) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::optional<int> status = app::RunWithoutWindow(argc, argv.data(), &CaptureHere, &HotKeyHere);
    if (!status) {
        status = StartWindowProgram();
    }
    std::fflush(stdout);
    std::fflush(stderr);
    if (consoleCodePage != 0) {
        ::SetConsoleOutputCP(consoleCodePage);
    }
    return *status;
}
