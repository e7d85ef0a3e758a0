#include "platform/wayland/sway_ipc.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonObject>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "base/unique_fd.h"
#include "base/wait_ready.h"
#include "platform/text/printable.h"

namespace platform::sway {
namespace {

constexpr char kMagic[] = "i3-ipc";
constexpr std::size_t kMagicLength = sizeof kMagic - 1;

constexpr int kAnswerSeconds = 3;

using Clock = std::chrono::steady_clock;

// Why the last request to sway got no answer; empty after one that did.
std::string& LastFailure() {
    static std::string failure;
    return failure;
}

// Until when a sway that just let a request's deadline pass is not waited
// for again: one capture asks it several things, and each would wait the
// full time. The first answer ends it.
Clock::time_point& SilentUntil() {
    static Clock::time_point until;
    return until;
}

std::string NoAnswer() {
    return "sway gave no answer within " + std::to_string(kAnswerSeconds) + " s";
}

std::string TimedOut() {
    SilentUntil() = Clock::now() + std::chrono::seconds(kAnswerSeconds);
    return NoAnswer();
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
            if (!base::WaitReady(fd, sending ? POLLOUT : POLLIN, deadline)) {
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

}  // namespace

QJsonDocument Ask(std::uint32_t type, const QByteArray& request) {
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(kAnswerSeconds);
    LastFailure().clear();
    if (Clock::now() < SilentUntil()) {
        LastFailure() = NoAnswer();
        return {};
    }
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
            if (!base::WaitReady(socket.get(), POLLOUT, deadline)) {
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
    QByteArray payload = request;
    const auto payloadLength = static_cast<std::uint32_t>(payload.size());
    std::memcpy(header + kMagicLength, &payloadLength, 4);  // Payload length
    std::memcpy(header + kMagicLength + 4, &type, 4);       // Message type
    if (!Transfer(socket.get(), header, sizeof header, true, deadline) ||
        !Transfer(socket.get(), payload.data(), payload.size(), true, deadline) ||
        !Transfer(socket.get(), header, sizeof header, false, deadline)) {
        return {};
    }
    std::uint32_t length = 0;
    std::memcpy(&length, header + kMagicLength, 4);
    if (std::memcmp(header, kMagic, kMagicLength) != 0 || length > (64u << 20)) {
        LastFailure() = "sway's answer is not one of its IPC messages";
        return {};
    }
    payload = QByteArray(static_cast<qsizetype>(length), Qt::Uninitialized);
    if (!Transfer(socket.get(), payload.data(), length, false, deadline)) {
        return {};
    }
    SilentUntil() = {};
    QJsonDocument answer = QJsonDocument::fromJson(payload);
    if (answer.isNull()) {
        LastFailure() = "sway's answer is not JSON";
    }
    return answer;
}

std::string RunCommand(const std::string& command) {
    const QJsonDocument answer = Ask(kRunCommand, QByteArray::fromStdString(command));
    if (answer.isNull()) {
        return Failure();
    }
    // One result for each command of a list; every one must have worked.
    const QJsonArray results = answer.array();
    for (const QJsonValue& value : results) {
        const QJsonObject result = value.toObject();
        if (!result.value("success").toBool()) {
            const QString error = result.value("error").toString();
            return "sway refused: " + (error.isEmpty() ? std::string("no reason given")
                                                       : Printable(error.left(200).toStdString()));
        }
    }
    return results.isEmpty() ? "sway refused: no reason given" : std::string();
}

bool Available() {
    const char* path = std::getenv("SWAYSOCK");
    struct stat status {};
    return path != nullptr && ::stat(path, &status) == 0 && S_ISSOCK(status.st_mode);
}

std::string Failure() {
    return LastFailure();
}

QJsonObject FindNode(const QJsonObject& node,
                     const std::function<bool(const QJsonObject&)>& match) {
    if (match(node)) {
        return node;
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue& child : node.value(children).toArray()) {
            const QJsonObject found = FindNode(child.toObject(), match);
            if (!found.isEmpty()) {
                return found;
            }
        }
    }
    return {};
}

}  // namespace platform::sway
