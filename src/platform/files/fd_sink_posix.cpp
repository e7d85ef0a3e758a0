#include "platform/files/fd_sink.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace platform::files {

std::string FdSink::write(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const std::size_t chunk = std::min<std::size_t>(size, std::numeric_limits<ssize_t>::max());
        const ssize_t written = ::write(fd_, data, chunk);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // A stream left non-blocking by whoever else shares it: wait
                // for room, as a blocking write would.
                pollfd ready{fd_, POLLOUT, 0};
                if (::poll(&ready, 1, -1) >= 0 || errno == EINTR) {
                    continue;
                }
            }
            return std::strerror(errno);
        }
        if (written == 0) {
            return std::strerror(ENOSPC);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return {};
}

}  // namespace platform::files
