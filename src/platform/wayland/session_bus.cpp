#include "platform/wayland/session_bus.h"

#include "platform/wayland/bus_answer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

constexpr char kVariable[] = "DBUS_SESSION_BUS_ADDRESS";
constexpr int kAnswerMs = 5000;

std::string& NoBus() {
    static std::string why;
    return why;
}

bool& Silent() {
    static bool silent = false;
    return silent;
}

// A transport the library does not know: connecting fails at once, and
// no bus is started in its place.
void DoWithoutBus(const std::string& why) {
    ::setenv(kVariable, "disabled:", 1);
    NoBus() = why;
}

// A value in a D-Bus address: bytes outside the safe set as %XX.
std::string Escaped(const std::string& value) {
    std::string out;
    for (const unsigned char c : value) {
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
            c == '-' || c == '_' || c == '/' || c == '.' || c == '\\' || c == '*') {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

}  // namespace

void SettleSessionBusAddress() {
    if (!NoBus().empty()) {
        return;
    }
    const char* address = std::getenv(kVariable);
    if (address != nullptr && *address != '\0') {
        if (std::string silence = SessionBusSilence(address, kAnswerMs); !silence.empty()) {
            DoWithoutBus(silence);
            Silent() = true;
        }
        return;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime == '/') {
        const std::string socket = std::string(runtime) + "/bus";
        struct stat status {};
        if (::lstat(socket.c_str(), &status) == 0 && S_ISSOCK(status.st_mode) &&
            status.st_uid == ::geteuid()) {
            const std::string settled = "unix:path=" + Escaped(socket);
            ::setenv(kVariable, settled.c_str(), 1);
            if (std::string silence = SessionBusSilence(settled, kAnswerMs); !silence.empty()) {
                DoWithoutBus(silence);
                Silent() = true;
            }
            return;
        }
    }
    DoWithoutBus("there is no session bus (DBUS_SESSION_BUS_ADDRESS is not set)");
}

std::string MissingSessionBus() {
    return NoBus();
}

bool SessionBusIsSilent() {
    return Silent();
}

}  // namespace platform
