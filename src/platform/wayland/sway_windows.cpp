#include "platform/wayland/sway_windows.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace platform::sway {
namespace {

constexpr std::uint32_t kGetOutputs = 3;
constexpr std::uint32_t kGetTree = 4;
constexpr char kMagic[] = "i3-ipc";
constexpr std::size_t kMagicLength = sizeof kMagic - 1;

class Socket {
  public:
    Socket() : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

bool WriteAll(int fd, const char* data, std::size_t length) {
    while (length > 0) {
        const ssize_t n = ::send(fd, data, length, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, char* data, std::size_t length) {
    while (length > 0) {
        const ssize_t n = ::recv(fd, data, length, 0);
        if (n <= 0) {
            return false;
        }
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

// One request and its answer, parsed; empty when sway cannot be asked.
QJsonDocument Ask(std::uint32_t type) {
    const char* path = std::getenv("SWAYSOCK");
    if (path == nullptr || std::strlen(path) >= sizeof(sockaddr_un::sun_path)) {
        return {};
    }
    Socket socket;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path);
    if (socket.fd() < 0 ||
        ::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return {};
    }
    // Header: magic, payload length, message type (native byte order).
    char header[kMagicLength + 8];
    std::memcpy(header, kMagic, kMagicLength);
    const std::uint32_t noPayload = 0;
    std::memcpy(header + kMagicLength, &noPayload, 4);  // Payload length
    std::memcpy(header + kMagicLength + 4, &type, 4);   // Message type
    if (!WriteAll(socket.fd(), header, sizeof header) ||
        !ReadAll(socket.fd(), header, sizeof header) ||
        std::memcmp(header, kMagic, kMagicLength) != 0) {
        return {};
    }
    std::uint32_t length = 0;
    std::memcpy(&length, header + kMagicLength, 4);
    if (length > (64u << 20)) {
        return {};
    }
    QByteArray payload(static_cast<qsizetype>(length), Qt::Uninitialized);
    if (!ReadAll(socket.fd(), payload.data(), length)) {
        return {};
    }
    return QJsonDocument::fromJson(payload);
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

// Screenshots of the whole desktop are taken at the largest output scale.
double LargestScale() {
    double scale = 1;
    for (const QJsonValue& output : Ask(kGetOutputs).array()) {
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
    const double scale = LargestScale();
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
