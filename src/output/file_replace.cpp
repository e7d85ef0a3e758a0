#include "output/file_replace.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

#include "platform/text/printable.h"

namespace output {
namespace {

class UniqueFd {
  public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset(int fd = -1) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

std::string SystemReason(int error) {
    return std::strerror(error);
}

std::string Quoted(const std::string& text) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely about
    // "literal" + std::string.
    std::string quoted(1, '"');
    quoted += platform::Printable(text);
    quoted += '"';
    return quoted;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    if (slash == 0) {
        return "/";
    }
    return path.substr(0, slash);
}

std::string NameIn(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The kernel's name for an open descriptor: opening it opens the same
// file, with a fresh permission check; reading it as a link gives the
// file's real path.
std::string DescriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Why the opened file `fd` is no file a picture can be saved to, or empty
// when it is an ordinary one.
std::string NotOrdinaryReason(int fd, const struct stat& status) {
    if (S_ISDIR(status.st_mode)) {
        return SystemReason(EISDIR);
    }
    const char* kind = S_ISCHR(status.st_mode)    ? "a character device"
                       : S_ISBLK(status.st_mode)  ? "a block device"
                       : S_ISFIFO(status.st_mode) ? "a named pipe"
                       : S_ISSOCK(status.st_mode) ? "a socket"
                       : !S_ISREG(status.st_mode) ? "of an unknown kind"
                                                  : nullptr;
    if (kind) {
        return std::string("it is ") + kind + ", not an ordinary file";
    }
    // The kernel shows its own state as files that look ordinary but take
    // no new files beside them.
    struct Pseudo {
        unsigned long magic;
        const char* name;
    };
    static constexpr Pseudo kPseudo[] = {
        {PROC_SUPER_MAGIC, "proc"},       {SYSFS_MAGIC, "sysfs"},
        {CGROUP_SUPER_MAGIC, "cgroup"},   {CGROUP2_SUPER_MAGIC, "cgroup2"},
        {DEBUGFS_MAGIC, "debugfs"},       {TRACEFS_MAGIC, "tracefs"},
        {SECURITYFS_MAGIC, "securityfs"}, {BPF_FS_MAGIC, "bpf"},
        {EFIVARFS_MAGIC, "efivarfs"},
    };
    struct statfs fs {};
    if (::fstatfs(fd, &fs) == 0) {
        for (const Pseudo& pseudo : kPseudo) {
            if (static_cast<unsigned long>(fs.f_type) == pseudo.magic) {
                return std::string("it is a file the kernel provides (the ") + pseudo.name +
                       " file system), not an ordinary file";
            }
        }
    }
    return {};
}

// Where the new contents go: the folder, held open so that nothing renamed
// on the way can move the save elsewhere, and the file's name in it.
struct Target {
    UniqueFd folder;
    std::string folderPath;               // for messages
    std::string name;                     // within `folder`
    std::optional<struct stat> existing;  // the file that is replaced
    bool placeholder = false;             // made here, through a dangling link
};

std::string OpenFolder(const std::string& place, Target& target) {
    target.folderPath = FolderOf(place);
    target.name = NameIn(place);
    target.folder.reset(::open(target.folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    return target.folder ? std::string() : SystemReason(errno);
}

// Finds the folder and name of `file`, which the kernel opened for `path`.
// The path as given serves unless its last part is a symbolic link; then
// the kernel says where the file it led to really is.
std::string LocateOpened(const std::string& path, int file, const struct stat& status,
                         Target& target) {
    std::string place = path;
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char real[PATH_MAX];
        const ssize_t length = ::readlink(DescriptorPath(file).c_str(), real, sizeof real);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof real) {
            return "the file the symbolic link leads to cannot be located (" +
                   SystemReason(length < 0 ? errno : ENAMETOOLONG) + ")";
        }
        place.assign(real, static_cast<std::size_t>(length));
    }
    if (std::string reason = OpenFolder(place, target); !reason.empty()) {
        return reason;
    }
    struct stat there {};
    if (::fstatat(target.folder.get(), target.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0 ||
        !SameFile(there, status)) {
        return "the file was moved or replaced while it was being saved";
    }
    return {};
}

void RemovePlaceholder(const Target& target) {
    if (!target.placeholder || !target.folder) {
        return;
    }
    struct stat there {};
    if (::fstatat(target.folder.get(), target.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameFile(there, *target.existing) && there.st_size == 0) {
        ::unlinkat(target.folder.get(), target.name.c_str(), 0);
    }
}

// A dangling symbolic link: open() makes the file it points to, with the
// kernel's checks. That empty file is then replaced as any other would be,
// or removed again if the save fails.
std::string CreateThroughLink(const std::string& path, Target& target) {
    const UniqueFd made(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0666));
    struct stat status {};
    if (!made || ::fstat(made.get(), &status) != 0) {
        return SystemReason(errno);
    }
    target.existing = status;
    target.placeholder = true;
    std::string reason = LocateOpened(path, made.get(), status, target);
    if (!reason.empty()) {
        RemovePlaceholder(target);
        target.placeholder = false;
    }
    return reason;
}

std::string Resolve(const std::string& path, Target& target) {
    // O_PATH: the kernel follows the links and checks the way there,
    // without opening a device or a pipe for real.
    const UniqueFd file(::open(path.c_str(), O_PATH | O_CLOEXEC));
    if (!file) {
        const int error = errno;
        struct stat link {};
        if (error != ENOENT) {
            return SystemReason(error);
        }
        if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            return CreateThroughLink(path, target);
        }
        return OpenFolder(path, target);
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        return SystemReason(errno);
    }
    if (std::string reason = NotOrdinaryReason(file.get(), status); !reason.empty()) {
        return reason;
    }
    // The kernel's own verdict on writing to it: permissions, a read-only
    // file system, an immutable file, a program running from it.
    const UniqueFd writable(
        ::open(DescriptorPath(file.get()).c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!writable) {
        return errno == ENOENT ? "the file's real place cannot be found (/proc is not mounted)"
                               : SystemReason(errno);
    }
    // A new file under this name would leave the other names with the old
    // contents, and writing into the file could leave it half written.
    if (status.st_nlink > 1) {
        return "it has " + std::to_string(status.st_nlink) +
               " names (hard links), and a new file under this one would leave the others with "
               "the old picture";
    }
    target.existing = status;
    return LocateOpened(path, file.get(), status, target);
}

// A new file of a short random name in `folder`: it fits wherever the
// target does, however long the path to it.
UniqueFd CreateTemporary(int folder, mode_t mode, std::string& name) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6];
        if (::getrandom(random, sizeof random, GRND_NONBLOCK) != sizeof random) {
            struct timespec now {};
            ::clock_gettime(CLOCK_MONOTONIC, &now);
            const auto seed = static_cast<unsigned long long>(now.tv_nsec) * 2654435761u + attempt;
            for (std::size_t i = 0; i < sizeof random; ++i) {
                random[i] = static_cast<unsigned char>(seed >> (8 * i));
            }
        }
        name = ".tessarine-";
        for (const unsigned char byte : random) {
            name += kLetters[byte % (sizeof kLetters - 1)];
        }
        const int fd = ::openat(folder, name.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return UniqueFd(fd);
        }
    }
    errno = EEXIST;
    return UniqueFd();
}

// The replaced file's permission bits, and its owner and group where the
// process may keep them (only root may give a file to another user; an
// owner may still keep a group it belongs to). The owner goes first: a
// change of owner clears set-user-ID bits.
int KeepOwnerAndMode(int fd, const struct stat& old) {
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        }
    }
    return ::fchmod(fd, old.st_mode & 0777) == 0 ? 0 : errno;
}

int Rename(const Target& target, const std::string& temporary) {
    const int folder = target.folder.get();
    if (!target.existing) {
        // A file that appeared under the name meanwhile was never checked:
        // it is not replaced.
        if (::renameat2(folder, temporary.c_str(), folder, target.name.c_str(), RENAME_NOREPLACE) ==
            0) {
            return 0;
        }
        if (errno != EINVAL && errno != ENOSYS) {
            return errno;
        }
    }
    return ::renameat(folder, temporary.c_str(), folder, target.name.c_str()) == 0 ? 0 : errno;
}

// Makes the rename durable. Some file systems cannot sync a folder; the
// file itself is already complete by then, so this is best effort.
void SyncFolder(int folder) {
    const UniqueFd fd(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) {
        ::fsync(fd.get());
    }
}

bool IsSticky(int folder) {
    struct stat status {};
    return ::fstat(folder, &status) == 0 && (status.st_mode & S_ISVTX) != 0;
}

std::string WriteAndRename(const Target& target, const ContentWriter& writeContents) {
    // Made private when it replaces a file (its mode is set below), and
    // otherwise as open() makes a new file: the umask or the folder's
    // default ACL applies.
    std::string temporary;
    UniqueFd fd = CreateTemporary(target.folder.get(), target.existing ? 0600 : 0666, temporary);
    if (!fd) {
        const int error = errno;
        if (target.existing && (error == EACCES || error == EPERM)) {
            // The file itself may be written, but only ever being replaced
            // whole, it cannot be saved here.
            return SystemReason(error) + ": the file may be written, but no new file can be made " +
                   "in its folder " + Quoted(target.folderPath) +
                   ", and a picture only ever replaces a file whole";
        }
        return SystemReason(error);
    }
    int error = target.existing ? KeepOwnerAndMode(fd.get(), *target.existing) : 0;
    if (error == 0 && !writeContents(fd.get())) {
        error = errno;
    }
    if (error == 0 && ::fsync(fd.get()) != 0) {
        error = errno;
    }
    if (::close(fd.release()) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlinkat(target.folder.get(), temporary.c_str(), 0);
        return SystemReason(error);
    }
    error = Rename(target, temporary);
    if (error != 0) {
        ::unlinkat(target.folder.get(), temporary.c_str(), 0);
        if ((error == EPERM || error == EACCES) && IsSticky(target.folder.get())) {
            return SystemReason(error) + ": in the folder " + Quoted(target.folderPath) +
                   " only a file's owner may replace it";
        }
        if (error == EEXIST) {
            return SystemReason(error) + ": another program made a file of that name meanwhile";
        }
        return SystemReason(error);
    }
    return {};
}

}  // namespace

WriteResult ReplaceFileWith(const std::string& path, const ContentWriter& writeContents) {
    if (path.empty()) {
        return {false, FailureMessage(path, SystemReason(ENOENT))};
    }
    Target target;
    std::string reason = Resolve(path, target);
    if (reason.empty()) {
        reason = WriteAndRename(target, writeContents);
    }
    if (!reason.empty()) {
        RemovePlaceholder(target);
        return {false, FailureMessage(path, reason)};
    }
    SyncFolder(target.folder.get());
    return {true, {}};
}

WriteResult ReplaceFileContents(const std::string& path, const std::uint8_t* data,
                                std::size_t size) {
    return ReplaceFileWith(path, [&](int fd) { return WriteAll(fd, data, size); });
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const std::size_t chunk = std::min<std::size_t>(size, std::numeric_limits<ssize_t>::max());
        const ssize_t written = ::write(fd, data, chunk);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::string FailureMessage(const std::string& path, const std::string& reason) {
    return "Could not save the picture to " + Quoted(path) + ": " + reason + ".";
}

}  // namespace output
