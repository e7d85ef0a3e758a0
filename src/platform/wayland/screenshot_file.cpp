#include "platform/wayland/screenshot_file.h"
#include "base/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

// Timestamps come from a clock that ticks a few milliseconds at a time: a
// file written just after we asked can carry a time a little before.
constexpr long kClockGrainNs = 20'000'000;

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Before(const timespec& a, const timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec < b.tv_sec : a.tv_nsec < b.tv_nsec;
}

std::string Failed(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

std::optional<std::string> ScreenshotPath(const std::string& uri, std::string& error) {
    constexpr char kScheme[] = "file://";
    constexpr std::size_t kSchemeLength = sizeof kScheme - 1;
    if (uri.compare(0, kSchemeLength, kScheme) != 0) {
        error = "it is not a file:// uri with an absolute path";
        return std::nullopt;
    }
    const std::size_t slash = uri.find('/', kSchemeLength);
    const std::string host = uri.substr(kSchemeLength, slash - kSchemeLength);
    if (slash == std::string::npos || (!host.empty() && host != "localhost")) {
        error = "it names no file on this machine";
        return std::nullopt;
    }
    std::string path;
    for (std::size_t i = slash; i < uri.size(); ++i) {
        char c = uri[i];
        if (c == '?' || c == '#') {
            error = "it carries a query or a fragment";
            return std::nullopt;
        }
        if (c == '%') {
            const int high = i + 2 < uri.size() ? HexDigit(uri[i + 1]) : -1;
            const int low = high >= 0 ? HexDigit(uri[i + 2]) : -1;
            if (low < 0) {
                error = "it has a '%' that starts no escape";
                return std::nullopt;
            }
            c = static_cast<char>(high * 16 + low);
            i += 2;
            if (c == '/' || c == '\0') {
                error = "it hides a '/' or a NUL in an escape";
                return std::nullopt;
            }
        }
        path += c;
    }
    for (std::size_t start = 1; start <= path.size();) {
        std::size_t end = path.find('/', start);
        end = end == std::string::npos ? path.size() : end;
        const std::string segment = path.substr(start, end - start);
        if (segment == "." || segment == ".." || (segment.empty() && end == path.size())) {
            error = "its path has a '.' or '..' segment, or names a folder";
            return std::nullopt;
        }
        start = end + 1;
    }
    return path;
}

std::optional<Picture> TakeScreenshotFile(const std::string& uri, const ScreenshotRules& rules,
                                          std::string& error) {
    const std::optional<std::string> path = ScreenshotPath(uri, error);
    if (!path) {
        return std::nullopt;
    }
    // The folder is opened once and the file looked up in it both for
    // reading and for deleting, so a folder swapped meanwhile cannot
    // redirect the deletion.
    const std::size_t split = path->rfind('/');
    const std::string folderPath = split == 0 ? "/" : path->substr(0, split);
    const std::string name = path->substr(split + 1);
    const base::UniqueFd folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) {
        error = Failed("its folder cannot be opened");
        return std::nullopt;
    }
    // Non-blocking: a FIFO or a device cannot hold the open up.
    const base::UniqueFd file(
        ::openat(folder.get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        error = errno == ELOOP ? "it is a symbolic link" : Failed("it cannot be opened");
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        error = Failed("it cannot be examined");
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        error = "it is not a regular file";
        return std::nullopt;
    }
    if (status.st_uid != ::geteuid()) {
        error = "it belongs to another user";
        return std::nullopt;
    }
    timespec earliest = rules.asked;
    earliest.tv_nsec -= kClockGrainNs;
    if (earliest.tv_nsec < 0) {
        earliest.tv_nsec += 1'000'000'000;
        earliest.tv_sec -= 1;
    }
    if (Before(status.st_mtim, earliest) || Before(status.st_ctim, earliest)) {
        error = "it was written before the screenshot was asked for";
        return std::nullopt;
    }
    if (status.st_size <= 0) {
        error = "it is empty";
        return std::nullopt;
    }
    // Reading goes on in blocking mode: it is a regular file.
    ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
    PngLimits limits;
    limits.maxWidth = rules.maxWidth;
    limits.maxHeight = rules.maxHeight;
    limits.maxPixels = rules.maxPixels;
    limits.fileSize = status.st_size;
    limits.deadline = rules.deadline;
    limits.keepFile = rules.keepFile;
    std::optional<Picture> picture = ReadPngPicture(file.get(), limits, error);
    if (!picture) {
        return std::nullopt;
    }
    // The portal wrote the file for us alone; the user did not ask for it.
    struct stat now {};
    if (::fstatat(folder.get(), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
        now.st_dev == status.st_dev && now.st_ino == status.st_ino) {
        ::unlinkat(folder.get(), name.c_str(), 0);
    }
    return picture;
}

}  // namespace platform
