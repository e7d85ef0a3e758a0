#pragma once
// Replacing a file's contents whole or not at all: what a save asks of the
// system, whatever the system. The old file stays as it was until the new
// one is complete; a name that must not replace a file is given only to
// the finished one. Each system's implementation sits in a file of its own
// (replace_file_posix.cpp, replace_file_win32.cpp). Nothing here needs Qt.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/files/byte_sink.h"

namespace platform::files {

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
    Replace,    // the file of that name, if any, is replaced whole
    FirstFree,  // the name, or with "_1", "_2", ... before its extension
                // the first that is free, is given to the finished file;
                // no file is replaced, and no name holds a partial one
};

// Writes the new contents to `out`; empty on success, else why it failed.
using ContentWriter = std::function<std::string(ByteSink& out)>;

// Replaces the contents of `path` with what `writeContents` writes, as a
// plain write to it would be allowed and no other way. The new file keeps
// what the system lets a file keep of the one it replaces (its rights,
// owner, attributes), or the save is refused; a new file gets what a
// plain write would give it. No temporary file outlives the call.
WriteResult ReplaceFileWith(const std::string& path, const ContentWriter& writeContents,
                            NameRule rule = NameRule::Replace);

// ReplaceFileWith for `size` bytes at `data`.
WriteResult ReplaceFileContents(const std::string& path, const std::uint8_t* data, std::size_t size,
                                NameRule rule = NameRule::Replace);

// Why `path` could not be made when the system said ENOENT: the system's
// words, and the folder, named, when that does not exist.
std::string NoSuchFileReason(const std::string& path);

// "cannot save the picture to "<path>": <reason>", as every error line reads:
// what failed, then why.
std::string FailureMessage(const std::string& path, const std::string& reason);

// `text` in double quotes, made printable, as messages name a file.
std::string Quoted(const std::string& text);

}  // namespace platform::files
