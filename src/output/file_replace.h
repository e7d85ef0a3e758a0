#pragma once
// Replacing a file's contents whole or not at all: the new contents go to a
// file without a name in the target's folder (O_TMPFILE), which is synced
// and then given the target's name: directly for a new file, and for a
// replaced one through a short-lived random name renamed over it. Nothing
// of a save that fails is left behind, nor of one killed before the file
// is complete. A kill in the instant between giving the complete file its
// random name and renaming it leaves it under that ".tessarine-XXXXXX"
// name beside the old file, which is intact: no call replaces a file by
// an unnamed one. Where the file system makes no unnamed files, a file of
// a random name stands in for it from the start, and a killed save may
// leave it. The folder is synced after. Nothing here needs Qt.
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

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace output {

// What a write came to. `message` says why it failed, naming the path; it
// is empty on success.
struct WriteResult {
    WriteResult() = default;
    WriteResult(bool ok, std::string message, std::string path = {})
        : ok(ok), message(std::move(message)), path(std::move(path)) {}

    bool ok = false;
    std::string message;
    std::string path;  // where the picture went, on success
};

// What a save does with the name it is given.
enum class NameRule {
    Replace,    // the file of that name, if any, is replaced (see above)
    FirstFree,  // the name, or with "_1", "_2", ... before its extension
                // the first that is free, is given to the finished file;
                // no file is replaced, and no name holds a partial one
};

// Writes the new contents to `fd`; returns false with errno set when it
// fails.
using ContentWriter = std::function<bool(int fd)>;

// Replaces the contents of `path` with what `writeContents` writes (see the
// top of this file). The new file keeps the permission bits (0777), owner,
// group, access ACL and extended attributes of the one it replaces
// (security.* and trusted.* where the process may set them); a new file
// gets what open() would give it (0666 less the umask, or the folder's
// default ACL). No temporary file outlives the call.
WriteResult ReplaceFileWith(const std::string& path, const ContentWriter& writeContents,
                            NameRule rule = NameRule::Replace);

// ReplaceFileWith for `size` bytes at `data`.
WriteResult ReplaceFileContents(const std::string& path, const std::uint8_t* data, std::size_t size,
                                NameRule rule = NameRule::Replace);

// Writes all `size` bytes to `fd`, as ContentWriter does.
bool WriteAll(int fd, const std::uint8_t* data, std::size_t size);

// Why `path` could not be made when the system said ENOENT: the system's
// words, and the folder, named, when that does not exist.
std::string NoSuchFileReason(const std::string& path);

// "cannot save the picture to "<path>": <reason>", as every error line reads:
// what failed, then why.
std::string FailureMessage(const std::string& path, const std::string& reason);

}  // namespace output
