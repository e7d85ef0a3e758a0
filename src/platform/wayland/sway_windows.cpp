#include "platform/wayland/sway_windows.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/unique_fd.h"
#include "platform/text/printable.h"

namespace platform::sway {
namespace {

constexpr std::uint32_t kGetOutputs = 3;
constexpr std::uint32_t kGetTree = 4;
constexpr char kMagic[] = "i3-ipc";
constexpr std::size_t kMagicLength = sizeof kMagic - 1;

constexpr int kAnswerSeconds = 3;

using Clock = std::chrono::steady_clock;

// Why the last request to sway got no answer; empty after one that did.
std::string& LastFailure() {
    static std::string failure;
    return failure;
}

std::string TimedOut() {
    return "sway gave no answer within " + std::to_string(kAnswerSeconds) + " s";
}

// Waits until the socket is ready for `events`, or the deadline passes.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready > 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

// Sends or receives all of `length` bytes before the deadline; the reason
// goes to LastFailure() when that fails.
bool Transfer(int fd, char* data, std::size_t length, bool sending, Clock::time_point deadline) {
    while (length > 0) {
        const ssize_t n =
            sending ? ::send(fd, data, length, MSG_NOSIGNAL) : ::recv(fd, data, length, 0);
        if (n > 0) {
            data += n;
            length -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!WaitFor(fd, sending ? POLLOUT : POLLIN, deadline)) {
                LastFailure() = TimedOut();
                return false;
            }
            continue;
        }
        LastFailure() = n == 0 ? "sway closed its socket without an answer"
                               : std::string("sway's socket failed: ") + std::strerror(errno);
        return false;
    }
    return true;
}

// One request and its answer, parsed, within a few seconds in all; empty
// when sway cannot be asked, with the reason in LastFailure().
QJsonDocument Ask(std::uint32_t type) {
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(kAnswerSeconds);
    LastFailure().clear();
    const char* path = std::getenv("SWAYSOCK");
    if (path == nullptr || std::strlen(path) >= sizeof(sockaddr_un::sun_path)) {
        LastFailure() = "SWAYSOCK names no socket that can be reached";
        return {};
    }
    const base::UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path);
    if (socket.get() < 0) {
        LastFailure() = std::string("no socket for sway: ") + std::strerror(errno);
        return {};
    }
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        int failure = errno;
        if (failure == EAGAIN || failure == EINPROGRESS) {
            socklen_t size = sizeof failure;
            if (!WaitFor(socket.get(), POLLOUT, deadline)) {
                LastFailure() = TimedOut();
                return {};
            }
            if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &failure, &size) != 0) {
                failure = errno;
            }
        }
        if (failure != 0) {
            LastFailure() = "sway's socket " + Printable(path) +
                            " cannot be reached: " + std::strerror(failure);
            return {};
        }
    }
    // Header: magic, payload length, message type (native byte order).
    char header[kMagicLength + 8];
    std::memcpy(header, kMagic, kMagicLength);
    const std::uint32_t noPayload = 0;
    std::memcpy(header + kMagicLength, &noPayload, 4);  // Payload length
    std::memcpy(header + kMagicLength + 4, &type, 4);   // Message type
    if (!Transfer(socket.get(), header, sizeof header, true, deadline) ||
        !Transfer(socket.get(), header, sizeof header, false, deadline)) {
        return {};
    }
    std::uint32_t length = 0;
    std::memcpy(&length, header + kMagicLength, 4);
    if (std::memcmp(header, kMagic, kMagicLength) != 0 || length > (64u << 20)) {
        LastFailure() = "sway's answer is not one of its IPC messages";
        return {};
    }
    QByteArray payload(static_cast<qsizetype>(length), Qt::Uninitialized);
    if (!Transfer(socket.get(), payload.data(), length, false, deadline)) {
        return {};
    }
    QJsonDocument answer = QJsonDocument::fromJson(payload);
    if (answer.isNull()) {
        LastFailure() = "sway's answer is not JSON";
    }
    return answer;
}

// Depth first through tiled and floating children.
QJsonObject Find(const QJsonObject& node, bool (*match)(const QJsonObject&, double),
                 double id = 0) {
    if (match(node, id)) {
        return node;
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue& child : node.value(children).toArray()) {
            const QJsonObject found = Find(child.toObject(), match, id);
            if (!found.isEmpty()) {
                return found;
            }
        }
    }
    return {};
}

bool IsFocusedWindow(const QJsonObject& node, double) {
    const QString type = node.value("type").toString();
    return node.value("focused").toBool() && (type == "con" || type == "floating_con");
}

bool HasId(const QJsonObject& node, double id) {
    return node.value("id").toDouble() == id;
}

// Screenshots of the whole desktop are taken at the largest output scale;
// zero when sway cannot be asked.
double LargestScale(const QJsonDocument& outputs) {
    double scale = outputs.isArray() ? 1 : 0;
    for (const QJsonValue& output : outputs.array()) {
        const QJsonObject object = output.toObject();
        if (object.value("active").toBool(true)) {
            scale = std::max(scale, object.value("scale").toDouble(1));
        }
    }
    return scale;
}

}  // namespace

bool Available() {
    const char* path = std::getenv("SWAYSOCK");
    struct stat status {};
    return path != nullptr && ::stat(path, &status) == 0 && S_ISSOCK(status.st_mode);
}

std::string Failure() {
    return LastFailure();
}

std::optional<Extent> DesktopDeviceSize() {
    const QJsonDocument outputs = Ask(kGetOutputs);
    const double scale = LargestScale(outputs);
    double left = 0, top = 0, right = 0, bottom = 0;
    bool any = false;
    for (const QJsonValue& output : outputs.array()) {
        const QJsonObject object = output.toObject();
        const QJsonObject rect = object.value("rect").toObject();
        if (!object.value("active").toBool(true) || rect.isEmpty()) {
            continue;
        }
        const double x = rect.value("x").toDouble(), y = rect.value("y").toDouble();
        left = any ? std::min(left, x) : x;
        top = any ? std::min(top, y) : y;
        right = std::max(any ? right : x, x + rect.value("width").toDouble());
        bottom = std::max(any ? bottom : y, y + rect.value("height").toDouble());
        any = true;
    }
    if (!any || scale <= 0) {
        return std::nullopt;
    }
    return Extent{std::ceil((right - left) * scale), std::ceil((bottom - top) * scale)};
}

HWND ForegroundWindow() {
    const QJsonObject focused = Find(Ask(kGetTree).object(), &IsFocusedWindow);
    return focused.isEmpty() ? 0 : static_cast<HWND>(focused.value("id").toDouble());
}

bool WindowRect(HWND window, RECT* rect) {
    const QJsonObject root = Ask(kGetTree).object();
    const QJsonObject node = window == 0 ? QJsonObject() : Find(root, &HasId, window);
    if (node.isEmpty() || !rect) {
        return false;
    }
    const QJsonObject area = node.value("rect").toObject();
    const QJsonObject desktop = root.value("rect").toObject();
    // The title bar sits above the rectangle sway gives (deco_rect).
    const int title = node.value("deco_rect").toObject().value("height").toInt();
    const double scale = LargestScale(Ask(kGetOutputs));
    if (scale <= 0) {
        return false;
    }
    const auto device = [scale](double logical) {
        return static_cast<std::int32_t>(std::lround(logical * scale));
    };
    const double left = area.value("x").toDouble() - desktop.value("x").toDouble();
    const double top = area.value("y").toDouble() - desktop.value("y").toDouble() - title;
    rect->left = device(left);
    rect->top = device(top);
    rect->right = device(left + area.value("width").toDouble());
    rect->bottom = device(top + title + area.value("height").toDouble());
    return true;
}

}  // namespace platform::sway
