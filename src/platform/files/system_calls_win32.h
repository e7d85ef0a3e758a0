#pragma once
// What the Windows side of the files shares: the words for a failed call,
// and writing every byte to a handle. No Windows header here: a handle is
// a void*.

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::files {

// Why a call failed with GetLastError() `error`: in the words the Linux
// side uses for the same cause ("Permission denied", "No such file or
// directory", ...), else in the system's own.
std::string Win32Reason(unsigned long error);

// The errno value nearest to `error`, for callers that speak errno
// (EEXIST for a name that is taken).
int ErrnoOf(unsigned long error);

// Writes all `size` bytes to `handle`; empty on success, else why not.
std::string WriteToHandle(void* handle, const std::uint8_t* data, std::size_t size);

}  // namespace platform::files
