// Replacing files on POSIX systems (Linux): the new contents go to a file
// without a name in the target's folder (O_TMPFILE), which is synced and
// then given the target's name: directly for a new file, and for a
// replaced one through a short-lived random name renamed over it. Nothing
// of a save that fails is left behind, nor of one killed before the file
// is complete. A kill in the instant between giving the complete file its
// random name and renaming it leaves it under that ".tessarine-XXXXXX"
// name beside the old file, which is intact: no call replaces a file by
// an unnamed one. Where the file system makes no unnamed files, a file of
// a random name stands in for it from the start, and a killed save may
// leave it. The folder is synced after.
//
// The target is found the way the kernel finds it for a plain open():
// symbolic links are followed by the kernel, with its own checks (such as
// fs.protected_symlinks), and the real file is then located through the
// open descriptor. A save is refused, leaving the file as it was, where a
// plain open for writing would be refused (including fs.protected_regular
// in shared sticky folders), and also where replacing the file whole
// cannot give what writing into it would:
// - a file with more than one name (hard links): the other names would keep
//   the old contents;
// - a file whose owner and group, access ACL or user.* extended attributes
//   the new file cannot be given;
// - a file its folder does not let a new version be made beside, such as an
//   append-only (chattr +a) folder; immutable files and folders likewise.
// A dangling symbolic link gets the file it points to, as open() makes it.
//
// The new file keeps the permission bits (0777), owner, group, access ACL
// and extended attributes of the one it replaces (security.* and trusted.*
// where the process may set them); a new file gets what open() would give
// it (0666 less the umask, or the folder's default ACL).

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "base/unique_fd.h"
#include "platform/files/fd_sink.h"
#include "platform/files/free_name.h"
#include "platform/files/replace_file.h"

namespace platform::files {
namespace {

using base::UniqueFd;

std::string SystemReason(int error) {
    return std::strerror(error);
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
    UniqueFd existingFd;                  // it, opened for writing
    bool placeholder = false;             // made here, through a dangling link
};

// The chattr flags that keep a file or folder from being changed.
struct InodeFlags {
    bool immutable = false;
    bool appendOnly = false;
};

InodeFlags FlagsOf(int fd) {
    constexpr std::uint64_t kBoth = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
    struct statx info {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, 0, &info) == 0 &&
        (info.stx_attributes_mask & kBoth) == kBoth) {
        return {(info.stx_attributes & STATX_ATTR_IMMUTABLE) != 0,
                (info.stx_attributes & STATX_ATTR_APPEND) != 0};
    }
    // File systems that do not report them through statx still answer the
    // ioctl, which needs a descriptor that is more than a path.
    const UniqueFd readable(
        ::open(DescriptorPath(fd).c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    int flags = 0;
    if (!readable || ::ioctl(readable.get(), FS_IOC_GETFLAGS, &flags) != 0) {
        return {};
    }
    return {(flags & FS_IMMUTABLE_FL) != 0, (flags & FS_APPEND_FL) != 0};
}

std::string OpenFolder(const std::string& place, Target& target) {
    target.folderPath = FolderOf(place);
    target.name = NameIn(place);
    target.folder.reset(::open(target.folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    return target.folder     ? std::string()
           : errno == ENOENT ? NoSuchFileReason(place)
                             : SystemReason(errno);
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
    UniqueFd made(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0666));
    struct stat status {};
    if (!made || ::fstat(made.get(), &status) != 0) {
        return SystemReason(errno);
    }
    target.existing = status;
    target.existingFd.reset(made.release());
    target.placeholder = true;
    std::string reason = LocateOpened(path, target.existingFd.get(), status, target);
    if (!reason.empty()) {
        RemovePlaceholder(target);
        target.placeholder = false;
    }
    return reason;
}

// Why the folder takes no new version of the file, or empty when it may.
std::string FolderRefusal(const Target& target) {
    const InodeFlags flags = FlagsOf(target.folder.get());
    if (flags.immutable) {
        return "the folder " + Quoted(target.folderPath) +
               " is immutable (chattr +i): no file in it may be added or replaced";
    }
    if (flags.appendOnly && target.existing) {
        return "the folder " + Quoted(target.folderPath) +
               " is append-only: new files may be added to it, but none replaced";
    }
    return {};
}

// Opens `path` for writing as a plain `echo > path` would, without changing
// it, so that the kernel refuses what it would refuse there: permissions, a
// read-only file system, a program running from it, and in shared sticky
// folders another user's file (fs.protected_regular).
std::string ProbeWrite(const std::string& path, const struct stat& status, Target& target) {
    target.existingFd.reset(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0666));
    if (!target.existingFd) {
        const int error = errno;
        struct stat folder {};
        if (error == EACCES && ::fstat(target.folder.get(), &folder) == 0 &&
            (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & 0022) != 0 &&
            status.st_uid != ::geteuid() && status.st_uid != folder.st_uid) {
            return SystemReason(error) + ": the folder " + Quoted(target.folderPath) +
                   " is shared, and the system lets only a file's owner write to it there "
                   "(fs.protected_regular)";
        }
        return SystemReason(error);
    }
    struct stat opened {};
    if (::fstat(target.existingFd.get(), &opened) != 0 || !SameFile(opened, status)) {
        return "the file was moved or replaced while it was being saved";
    }
    return {};
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
        std::string reason = ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)
                                 ? CreateThroughLink(path, target)
                                 : OpenFolder(path, target);
        return reason.empty() ? FolderRefusal(target) : reason;
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        return SystemReason(errno);
    }
    if (std::string reason = NotOrdinaryReason(file.get(), status); !reason.empty()) {
        return reason;
    }
    const InodeFlags flags = FlagsOf(file.get());
    if (flags.immutable) {
        return "the file is immutable (chattr +i): it may be neither changed nor replaced";
    }
    if (flags.appendOnly) {
        return "the file is append-only (chattr +a): it may be added to, but not replaced";
    }
    // A new file under this name would leave the other names with the old
    // contents, and writing into the file could leave it half written.
    if (status.st_nlink > 1) {
        return "it has " + std::to_string(status.st_nlink) +
               " names (hard links), and a new file under this one would leave the others with "
               "the old picture";
    }
    target.existing = status;
    if (std::string reason = LocateOpened(path, file.get(), status, target); !reason.empty()) {
        return reason;
    }
    if (std::string reason = FolderRefusal(target); !reason.empty()) {
        return reason;
    }
    return ProbeWrite(path, status, target);
}

// A short random name for a file in the folder: it fits wherever the target
// does, however long the path to it.
std::string RandomName(unsigned attempt) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char random[6];
    if (::getrandom(random, sizeof random, GRND_NONBLOCK) != sizeof random) {
        struct timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const auto seed = static_cast<unsigned long long>(now.tv_nsec) * 2654435761u + attempt;
        for (std::size_t i = 0; i < sizeof random; ++i) {
            random[i] = static_cast<unsigned char>(seed >> (8 * i));
        }
    }
    std::string name = ".tessarine-";
    for (const unsigned char byte : random) {
        name += kLetters[byte % (sizeof kLetters - 1)];
    }
    return name;
}

constexpr unsigned kNameAttempts = 100;

// The new contents, in a file that has no name until it is complete, so
// that nothing of it is left when the program dies on the way. Where the
// file system makes no such files, it is a file of a random name instead.
struct NewFile {
    UniqueFd fd;
    std::string temporary;  // its name in the folder, while it has one
};

bool NoUnnamedFiles(int error) {
    // Kernels before O_TMPFILE see only O_DIRECTORY in it (EISDIR).
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOENT;
}

int CreateNewFile(int folder, mode_t mode, NewFile& file) {
    file.fd.reset(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (file.fd) {
        return 0;
    }
    if (!NoUnnamedFiles(errno)) {
        return errno;
    }
    for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
        file.temporary = RandomName(attempt);
        file.fd.reset(::openat(folder, file.temporary.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (file.fd || errno != EEXIST) {
            break;
        }
    }
    if (!file.fd) {
        file.temporary.clear();
        return errno;
    }
    return 0;
}

// Gives the unnamed file `fd` the name `name` in `folder`; fails with
// EEXIST where that name is taken.
int LinkInto(int fd, int folder, const std::string& name) {
    if (::linkat(AT_FDCWD, DescriptorPath(fd).c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) ==
        0) {
        return 0;
    }
    const int error = errno;
    if (error != ENOENT || ::access("/proc/self/fd", F_OK) == 0) {
        return error;
    }
    // Without /proc; this form needs CAP_DAC_READ_SEARCH.
    return ::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

// Keeps the replaced file's owner and group, or says why the new file
// cannot have them: only root may give a file to another user, and an
// owner only a group it belongs to.
std::string KeepOwner(int fd, const struct stat& old) {
    if ((old.st_uid == ::geteuid() && old.st_gid == ::getegid()) ||
        ::fchown(fd, old.st_uid, old.st_gid) == 0) {
        return {};
    }
    const std::string why = " (" + SystemReason(errno) + ")";
    if (old.st_uid != ::geteuid()) {
        return "the file belongs to another user (uid " + std::to_string(old.st_uid) +
               "), and a new file in its place would change its owner" + why;
    }
    return "the file belongs to the group with gid " + std::to_string(old.st_gid) +
           ", and a new file in its place would change its group" + why;
}

constexpr char kAccessAcl[] = "system.posix_acl_access";

// The names of the extended attributes of `fd`; false with errno set.
bool AttributeNames(int fd, std::vector<std::string>& names) {
    std::string list;
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0) {
            return false;
        }
        list.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::flistxattr(fd, list.data(), list.size());
        if (got >= 0) {
            list.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE) {
            return false;
        }
    }
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t end = list.find('\0', start);
        names.push_back(list.substr(start, end - start));
        start = end == std::string::npos ? list.size() : end + 1;
    }
    return true;
}

bool CopyAttribute(int from, int to, const std::string& name) {
    std::string value;
    for (;;) {
        const ssize_t size = ::fgetxattr(from, name.c_str(), nullptr, 0);
        if (size < 0) {
            return false;
        }
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::fgetxattr(from, name.c_str(), value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE) {
            return false;
        }
    }
    return ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) == 0;
}

// Gives the new file the extended attributes of the one it replaces. The
// access ACL and the user's own attributes must come along: without them
// others would lose or gain access, or the user's notes on the file would
// be gone. The system's (security.*, trusted.*) come where the process may
// set them; they are the system's to give. The ACL goes last, since setting
// it also sets the group's permission bits, as they were.
std::string CarryAttributes(int from, int to) {
    std::vector<std::string> names;
    if (!AttributeNames(from, names) && errno != EOPNOTSUPP) {
        return "its extended attributes cannot be read (" + SystemReason(errno) + ")";
    }
    const auto acl = std::find(names.begin(), names.end(), kAccessAcl);
    if (acl != names.end()) {
        std::rotate(acl, acl + 1, names.end());
    } else if (::fremovexattr(to, kAccessAcl) != 0 && errno != ENODATA && errno != EOPNOTSUPP) {
        // The folder's default ACL gave the new file one the old did not have.
        return "the access control list the new file got from its folder cannot be removed (" +
               SystemReason(errno) + ")";
    }
    for (const std::string& name : names) {
        if (CopyAttribute(from, to, name)) {
            continue;
        }
        const int error = errno;
        if (name == kAccessAcl) {
            return "its access control list cannot be given to the new file (" +
                   SystemReason(error) + ")";
        }
        if (name.rfind("user.", 0) == 0) {
            return "its extended attribute " + Quoted(name) + " cannot be given to the new file (" +
                   SystemReason(error) + ")";
        }
    }
    return {};
}

// What the new file keeps of the one it replaces: owner and group first (a
// change of owner clears set-user-ID bits), then the permission bits, then
// the extended attributes. Refused where any of it cannot be kept.
std::string KeepAttributes(int fd, const Target& target) {
    if (std::string reason = KeepOwner(fd, *target.existing); !reason.empty()) {
        return reason;
    }
    if (::fchmod(fd, target.existing->st_mode & 0777) != 0) {
        return SystemReason(errno);
    }
    return CarryAttributes(target.existingFd.get(), fd);
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

// Puts the complete file `file` in place under the target's name. A new
// name takes an unnamed file directly; linking, as RENAME_NOREPLACE, never
// replaces a file that appeared meanwhile. A replaced file goes through a
// short-lived random name, since only a rename replaces a file whole.
int GiveName(const Target& target, NewFile& file) {
    const int folder = target.folder.get();
    if (file.temporary.empty()) {
        if (!target.existing) {
            return LinkInto(file.fd.get(), folder, target.name);
        }
        int error = EEXIST;
        for (unsigned attempt = 0; attempt < kNameAttempts && error == EEXIST; ++attempt) {
            file.temporary = RandomName(attempt);
            error = LinkInto(file.fd.get(), folder, file.temporary);
        }
        if (error != 0) {
            file.temporary.clear();
            return error;
        }
    }
    return Rename(target, file.temporary);
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

std::string CreateFailure(const Target& target, int error) {
    if (target.existing && (error == EACCES || error == EPERM)) {
        // The file itself may be written, but only ever being replaced
        // whole, it cannot be saved here.
        return SystemReason(error) + ": the file may be written, but no new file can be made " +
               "in its folder " + Quoted(target.folderPath) +
               ", and a picture only ever replaces a file whole";
    }
    return SystemReason(error);
}

std::string RenameFailure(const Target& target, int error) {
    if ((error == EPERM || error == EACCES) && IsSticky(target.folder.get())) {
        return SystemReason(error) + ": in the folder " + Quoted(target.folderPath) +
               " only a file's owner may replace it";
    }
    if (error == EEXIST) {
        return SystemReason(error) + ": another program made a file of that name meanwhile";
    }
    return SystemReason(error);
}

void RemoveTemporary(const Target& target, const NewFile& file) {
    if (!file.temporary.empty()) {
        ::unlinkat(target.folder.get(), file.temporary.c_str(), 0);
    }
}

// Makes `file`, complete and synced, not yet under the target's name; on
// failure nothing of it is left and the reason is returned.
std::string WriteComplete(const Target& target, const ContentWriter& writeContents, NewFile& file) {
    // Private when it replaces a file (its mode is set below), and
    // otherwise as open() makes a new file: the umask or the folder's
    // default ACL applies.
    if (const int error = CreateNewFile(target.folder.get(), target.existing ? 0600 : 0666, file)) {
        return CreateFailure(target, error);
    }
    // Checked before the picture is written, so that a refusal costs
    // nothing.
    if (target.existing) {
        if (std::string reason = KeepAttributes(file.fd.get(), target); !reason.empty()) {
            RemoveTemporary(target, file);
            return reason;
        }
    }
    FdSink out(file.fd.get());
    std::string reason = writeContents(out);
    if (reason.empty() && ::fsync(file.fd.get()) != 0) {
        reason = SystemReason(errno);
    }
    if (!reason.empty()) {
        RemoveTemporary(target, file);
    }
    return reason;
}

std::string WriteAndRename(const Target& target, const ContentWriter& writeContents) {
    NewFile file;
    if (std::string reason = WriteComplete(target, writeContents, file); !reason.empty()) {
        return reason;
    }
    const int error = GiveName(target, file);
    // The fsync above has already reported any error of writing the file
    // back; close() only lets the descriptor go.
    file.fd.reset();
    if (error != 0) {
        RemoveTemporary(target, file);
        return RenameFailure(target, error);
    }
    return {};
}

// Gives the complete `file` the new name `name` in `folder`, never
// replacing a file: EEXIST when the name is taken.
int NameNewFile(int folder, NewFile& file, const std::string& name) {
    if (file.temporary.empty()) {
        return LinkInto(file.fd.get(), folder, name);
    }
    if (::renameat2(folder, file.temporary.c_str(), folder, name.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS) {
            return errno;
        }
        if (::linkat(folder, file.temporary.c_str(), folder, name.c_str(), 0) != 0) {
            return errno;
        }
        ::unlinkat(folder, file.temporary.c_str(), 0);
    }
    file.temporary.clear();
    return 0;
}

// NameRule::FirstFree: the finished file is linked to each name in turn
// until one is free, so no name is ever claimed empty, and a folder that
// takes new files but replaces none (chattr +a) takes it.
WriteResult WriteUnderFirstFreeName(const std::string& path, const ContentWriter& writeContents) {
    Target target;
    std::string reason = OpenFolder(path, target);
    if (reason.empty()) {
        reason = FolderRefusal(target);
    }
    NewFile file;
    if (reason.empty()) {
        reason = WriteComplete(target, writeContents, file);
    }
    if (!reason.empty()) {
        return {false, FailureMessage(path, reason)};
    }
    std::string failure;
    const std::optional<std::string> claimed = ClaimFreeName(
        path,
        [&](const std::string& candidate) {
            errno = NameNewFile(target.folder.get(), file, NameIn(candidate));
            return errno == 0;
        },
        failure);
    file.fd.reset();
    if (!claimed) {
        RemoveTemporary(target, file);
        return {false, failure};
    }
    SyncFolder(target.folder.get());
    return {true, {}, *claimed};
}

}  // namespace

WriteResult ReplaceFileWith(const std::string& path, const ContentWriter& writeContents,
                            NameRule rule) {
    if (path.empty()) {
        return {false, FailureMessage(path, SystemReason(ENOENT))};
    }
    if (rule == NameRule::FirstFree) {
        return WriteUnderFirstFreeName(path, writeContents);
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
    return {true, {}, path};
}

std::string NoSuchFileReason(const std::string& path) {
    const std::string folder = FolderOf(path);
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0 && errno == ENOENT) {
        return SystemReason(ENOENT) + " (the folder " + Quoted(folder) + " does not exist)";
    }
    return SystemReason(ENOENT);
}

}  // namespace platform::files
