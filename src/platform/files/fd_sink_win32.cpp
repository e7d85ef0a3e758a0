#include <io.h>

#include "platform/files/fd_sink.h"
#include "platform/files/system_calls_win32.h"

namespace platform::files {

std::string FdSink::write(const std::uint8_t* data, std::size_t size) {
    const intptr_t handle = ::_get_osfhandle(fd_);
    if (handle == -1) {
        return "Bad file descriptor";
    }
    return WriteToHandle(reinterpret_cast<void*>(handle), data, size);
}

}  // namespace platform::files
