#include "platform/files/system_calls_win32.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/files/utf16.h"

namespace platform::files {

std::string Win32Reason(unsigned long error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return "No such file or directory";
        case ERROR_ACCESS_DENIED:
            return "Permission denied";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return "the file is open in another program, which lets no other program change it";
        case ERROR_WRITE_PROTECT:
            return "Read-only file system";
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_DISK_FULL:
            return "No space left on device";
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return "File exists";
        case ERROR_FILENAME_EXCED_RANGE:
            return "File name too long";
        case ERROR_INVALID_NAME:
            return "the name is not one Windows allows (none of < > : \" | ? * in it, and no "
                   "space or dot at its end)";
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA:
            return "Broken pipe";
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return "Cannot allocate memory";
        default:
            break;
    }
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length > 0 ? Utf8FromWide({text, length}) : std::string();
    ::LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == '.' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return (reason.empty() ? "system error" : reason) + " (error " + std::to_string(error) + ")";
}

int ErrnoOf(unsigned long error) {
    switch (error) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
            return EACCES;
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_DISK_FULL:
            return ENOSPC;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_INVALID_NAME:
            return EINVAL;
        default:
            return EIO;
    }
}

std::string WriteToHandle(void* handle, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(handle, data, chunk, &written, nullptr)) {
            return Win32Reason(::GetLastError());
        }
        if (written == 0) {
            return Win32Reason(ERROR_DISK_FULL);
        }
        data += written;
        size -= written;
    }
    return {};
}

}  // namespace platform::files
