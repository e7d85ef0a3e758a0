#include "platform/wayland/bus_answer.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>

#include "base/wait_ready.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// The socket named by one address entry ("unix:path=..." or
// "unix:abstract=..."), %XX undone; nothing for other transports.
std::optional<sockaddr_un> UnixSocket(const std::string& entry, socklen_t& length) {
    if (entry.rfind("unix:", 0) != 0) {
        return std::nullopt;
    }
    std::string path;
    bool abstract = false;
    size_t start = 5;
    while (start <= entry.size()) {
        const size_t end = std::min(entry.find(',', start), entry.size());
        const std::string pair = entry.substr(start, end - start);
        for (const char* key : {"path=", "abstract="}) {
            if (pair.rfind(key, 0) == 0) {
                abstract = key[0] == 'a';
                path.clear();
                for (size_t i = std::strlen(key); i < pair.size(); ++i) {
                    if (pair[i] == '%' && i + 2 < pair.size()) {
                        path += static_cast<char>(std::stoi(pair.substr(i + 1, 2), nullptr, 16));
                        i += 2;
                    } else {
                        path += pair[i];
                    }
                }
            }
        }
        start = end + 1;
    }
    sockaddr_un socketAddress{};
    if (path.empty() || path.size() + 1 > sizeof socketAddress.sun_path) {
        return std::nullopt;
    }
    socketAddress.sun_family = AF_UNIX;
    std::memcpy(socketAddress.sun_path + (abstract ? 1 : 0), path.data(), path.size());
    length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + (abstract ? 1 : 0));
    return socketAddress;
}

// org.freedesktop.DBus.Hello as a little-endian method call.
std::string HelloMessage() {
    std::string message("l\1\0\1", 4);
    const auto number = [&message](uint32_t value) {
        message.append(reinterpret_cast<const char*>(&value), 4);  // little-endian hosts
    };
    const auto pad = [&message](size_t to) { message.resize((message.size() + to - 1) / to * to); };
    number(0);  // body length
    number(1);  // serial
    number(0);  // header fields' length, set below
    const size_t fieldsStart = message.size();
    const auto field = [&](char code, char type, const std::string& value) {
        pad(8);
        message += code;
        message += std::string{'\1', type, '\0'};
        number(static_cast<uint32_t>(value.size()));
        message += value;
        message += '\0';
    };
    field(1, 'o', "/org/freedesktop/DBus");
    field(6, 's', "org.freedesktop.DBus");
    field(2, 's', "org.freedesktop.DBus");
    field(3, 's', "Hello");
    const auto fieldsLength = static_cast<uint32_t>(message.size() - fieldsStart);
    std::memcpy(&message[12], &fieldsLength, 4);
    pad(8);
    return message;
}

class Exchange {
  public:
    Exchange(int fd, Clock::time_point deadline) : fd_(fd), deadline_(deadline) {}

    // False once the deadline passes (then `late` is set) or the bus fails.
    bool Wait(short events) {
        if (base::WaitReady(fd_, events, deadline_)) {
            return true;
        }
        late = Clock::now() >= deadline_;
        return false;
    }

    bool Send(const std::string& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n > 0) {
                sent += static_cast<size_t>(n);
            } else if ((n < 0 && errno != EAGAIN && errno != EINTR) || !Wait(POLLOUT)) {
                return false;
            }
        }
        return true;
    }

    // Reads until `enough` says the bytes so far suffice.
    template <typename Enough>
    bool Receive(std::string& bytes, Enough enough) {
        while (!enough(bytes)) {
            if (!Wait(POLLIN)) {
                return false;
            }
            char chunk[256];
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
                return false;
            }
            if (n > 0) {
                bytes.append(chunk, static_cast<size_t>(n));
            }
        }
        return true;
    }

    bool late = false;

  private:
    int fd_;
    Clock::time_point deadline_;
};

}  // namespace

std::string SessionBusSilence(const std::string& address, int timeoutMs) {
    std::optional<sockaddr_un> socketAddress;
    socklen_t length = 0;
    for (size_t start = 0; start <= address.size() && !socketAddress;) {
        const size_t end = std::min(address.find(';', start), address.size());
        socketAddress = UnixSocket(address.substr(start, end - start), length);
        start = end + 1;
    }
    if (!socketAddress) {
        return {};
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return {};
    }
    Exchange exchange(fd, Clock::now() + std::chrono::milliseconds(timeoutMs));
    const auto asked = [&]() -> bool {
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&*socketAddress), length) != 0 &&
            !((errno == EAGAIN || errno == EINPROGRESS) && exchange.Wait(POLLOUT))) {
            return false;
        }
        const std::string uid = std::to_string(::geteuid());
        std::string auth("\0AUTH EXTERNAL ", 15);
        for (const unsigned char c : uid) {
            static const char digits[] = "0123456789abcdef";
            auth += digits[c >> 4];
            auth += digits[c & 15];
        }
        std::string answer;
        if (!exchange.Send(auth + "\r\n") ||
            !exchange.Receive(
                answer, [](const std::string& b) { return b.find("\r\n") != std::string::npos; }) ||
            answer.rfind("OK ", 0) != 0) {
            return false;
        }
        answer.clear();
        // The reply's fixed header is enough: the bus reads and answers.
        return exchange.Send("BEGIN\r\n" + HelloMessage()) &&
               exchange.Receive(answer, [](const std::string& b) { return b.size() >= 16; });
    }();
    ::close(fd);
    if (asked || !exchange.late) {
        return {};
    }
    return "the session bus gave no answer within " + std::to_string(timeoutMs / 1000) + " s";
}

}  // namespace platform
