// Replacing files on Windows: the new contents go to a file of a random
// name (".tessarine-XXXXXX") beside the target, marked for deletion while
// it is written, so that a save that fails or is killed leaves nothing
// behind. The complete file then takes the target's name: ReplaceFileW
// for a file that exists, which keeps its security descriptor, attributes
// and identity, and MoveFileExW, which never replaces a file, for a new
// name (its security is its folder's, as for a plain write). A kill in the
// instant after the file is complete leaves it under its random name.
//
// A save is refused, leaving the file as it was, where a plain write would
// be: a read-only file, one that another program holds open against
// writers, a folder or a device; and also where a new file in its place
// cannot be what writing into it would give: a file with more than one
// name (hard links). Paths are UTF-8 here and wide at every call.

#include <windows.h>

#include <cerrno>
#include <random>

#include "platform/files/file_names.h"
#include "platform/files/free_name.h"
#include "platform/files/replace_file.h"
#include "platform/files/system_calls_win32.h"
#include "platform/files/utf16.h"

namespace platform::files {
namespace {

class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
        }
        handle_ = handle;
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

class HandleSink : public ByteSink {
  public:
    explicit HandleSink(HANDLE handle) : handle_(handle) {}
    std::string write(const std::uint8_t* data, std::size_t size) override {
        return WriteToHandle(handle_, data, size);
    }

  private:
    HANDLE handle_;
};

constexpr char kNotUtf8[] = "Invalid or incomplete multibyte or wide character";
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// What the new file keeps of the attributes of the one it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::string LastReason() {
    return Win32Reason(::GetLastError());
}

// Where the new contents go.
struct Target {
    std::wstring path;    // full
    std::wstring folder;  // full, without a separator at its end
    std::string folderUtf8;
    bool existing = false;
    DWORD attributes = 0;
};

std::wstring FullPath(const std::wstring& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return {};
    }
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        return {};
    }
    full.resize(length);
    return full;
}

std::wstring FolderOf(const std::wstring& full) {
    const std::size_t slash = full.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return L".";
    }
    // "C:\" keeps its separator: "C:" alone is the drive's current folder.
    return full.substr(0, slash > 0 && full[slash - 1] == L':' ? slash + 1 : slash);
}

std::string SetFolder(const std::wstring& path, Target& target) {
    target.path = FullPath(path);
    if (target.path.empty()) {
        return LastReason();
    }
    target.folder = FolderOf(target.path);
    target.folderUtf8 = Utf8FromWide(target.folder);
    return {};
}

// The real file a symbolic link (or other reparse point) leads to.
std::string FollowLink(Target& target) {
    const Handle file(::CreateFileW(target.path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        return "the symbolic link leads to no file it can be saved to (" + LastReason() + ")";
    }
    wchar_t real[MAX_PATH * 4];
    const DWORD length = ::GetFinalPathNameByHandleW(file.get(), real, MAX_PATH * 4,
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= MAX_PATH * 4) {
        return "the file the symbolic link leads to cannot be located (" + LastReason() + ")";
    }
    return SetFolder(std::wstring(real, length), target);
}

// Opens the file for writing as a plain write would, without changing it,
// so that the system refuses what it would refuse there.
std::string ProbeWrite(const Target& target) {
    if (target.attributes & FILE_ATTRIBUTE_READONLY) {
        return "Permission denied (the file is read-only)";
    }
    const Handle file(::CreateFileW(target.path.c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return LastReason();
    }
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
        return "it is a device, not an ordinary file";
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info)) {
        return LastReason();
    }
    if (info.nNumberOfLinks > 1) {
        return "it has " + std::to_string(info.nNumberOfLinks) +
               " names (hard links), and a new file under this one would leave the others with "
               "the old picture";
    }
    return {};
}

// Finds the file `path` names, and why it may not be replaced.
std::string Resolve(const std::wstring& path, Target& target) {
    if (std::string reason = SetFolder(path, target); !reason.empty()) {
        return reason;
    }
    target.attributes = ::GetFileAttributesW(target.path.c_str());
    if (target.attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            return error == ERROR_PATH_NOT_FOUND ? NoSuchFileReason(Utf8FromWide(target.path))
                                                 : Win32Reason(error);
        }
        const DWORD folder = ::GetFileAttributesW(target.folder.c_str());
        if (folder == INVALID_FILE_ATTRIBUTES || !(folder & FILE_ATTRIBUTE_DIRECTORY)) {
            return NoSuchFileReason(Utf8FromWide(target.path));
        }
        return {};
    }
    if (target.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (std::string reason = FollowLink(target); !reason.empty()) {
            return reason;
        }
        target.attributes = ::GetFileAttributesW(target.path.c_str());
        if (target.attributes == INVALID_FILE_ATTRIBUTES) {
            return LastReason();
        }
    }
    if (target.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return "Is a directory";
    }
    target.existing = true;
    return ProbeWrite(target);
}

// The new contents, in a file of a random name in the target's folder that
// the system deletes should the program die before it is complete.
struct NewFile {
    Handle handle;
    std::wstring path;  // while it exists

    ~NewFile() { remove(); }
    void remove() {
        handle.reset();
        if (!path.empty()) {
            ::DeleteFileW(path.c_str());
            path.clear();
        }
    }
};

constexpr unsigned kNameAttempts = 100;

std::wstring RandomName() {
    static constexpr wchar_t kLetters[] =
        L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::wstring name = L".tessarine-";
    for (int i = 0; i < 6; ++i) {
        name += kLetters[random() % (sizeof kLetters / sizeof kLetters[0] - 1)];
    }
    return name;
}

std::wstring InFolder(const std::wstring& folder, const std::wstring& name) {
    const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    return folder + (separated ? L"" : L"\\") + name;
}

bool MarkForDeletion(HANDLE file, bool deleted) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleted;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                        sizeof disposition);
}

std::string CreateFailure(const Target& target, DWORD error) {
    if (target.existing && error == ERROR_ACCESS_DENIED) {
        // The file itself may be written, but only ever being replaced
        // whole, it cannot be saved here.
        return Win32Reason(error) + ": the file may be written, but no new file can be made " +
               "in its folder " + Quoted(target.folderUtf8) +
               ", and a picture only ever replaces a file whole";
    }
    return Win32Reason(error);
}

// Makes `file`, complete and flushed to the disk, not yet under the
// target's name; on failure nothing of it is left and the reason is
// returned.
std::string WriteComplete(const Target& target, const ContentWriter& writeContents, NewFile& file) {
    const DWORD attributes = target.existing && (target.attributes & kKeptAttributes)
                                 ? target.attributes & kKeptAttributes
                                 : FILE_ATTRIBUTE_NORMAL;
    DWORD error = ERROR_FILE_EXISTS;
    for (unsigned attempt = 0; attempt < kNameAttempts && error == ERROR_FILE_EXISTS; ++attempt) {
        file.path = InFolder(target.folder, RandomName());
        file.handle.reset(::CreateFileW(file.path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                        CREATE_NEW, attributes, nullptr));
        error = file.handle ? ERROR_SUCCESS : ::GetLastError();
    }
    if (error != ERROR_SUCCESS) {
        file.path.clear();
        return CreateFailure(target, error);
    }
    // Where the file system cannot mark it, a killed save leaves the file.
    const bool marked = MarkForDeletion(file.handle.get(), true);
    HandleSink out(file.handle.get());
    std::string reason = writeContents(out);
    if (reason.empty() && !::FlushFileBuffers(file.handle.get())) {
        reason = LastReason();
    }
    if (reason.empty() && marked && !MarkForDeletion(file.handle.get(), false)) {
        reason = LastReason();
    }
    if (!reason.empty()) {
        file.remove();
        return reason;
    }
    file.handle.reset();
    return {};
}

// A name for the replaced file while the new one takes its place, free
// when it is chosen.
std::wstring FreeBackupName(const Target& target) {
    std::wstring backup;
    for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
        backup = InFolder(target.folder, RandomName());
        if (::GetFileAttributesW(backup.c_str()) == INVALID_FILE_ATTRIBUTES &&
            ::GetLastError() == ERROR_FILE_NOT_FOUND) {
            break;
        }
    }
    return backup;
}

// Gives the complete `file` the target's name.
std::string PutInPlace(const Target& target, NewFile& file) {
    if (!target.existing) {
        // A file that appeared under the name meanwhile was never checked:
        // it is not replaced.
        if (::MoveFileExW(file.path.c_str(), target.path.c_str(), MOVEFILE_WRITE_THROUGH)) {
            file.path.clear();
            return {};
        }
        const DWORD error = ::GetLastError();
        return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS
                   ? Win32Reason(error) + ": another program made a file of that name meanwhile"
                   : Win32Reason(error);
    }
    // Without a name of its own, a replaced file that cannot be put back
    // would be left under a name the system chose.
    const std::wstring backup = FreeBackupName(target);
    if (::ReplaceFileW(target.path.c_str(), file.path.c_str(), backup.c_str(), 0, nullptr,
                       nullptr)) {
        file.path.clear();
        ::DeleteFileW(backup.c_str());
        return {};
    }
    const DWORD error = ::GetLastError();
    switch (error) {
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
            // The old file went to the backup name, the new one could not
            // follow: the old one goes back.
            ::MoveFileExW(backup.c_str(), target.path.c_str(), MOVEFILE_WRITE_THROUGH);
            return LastReason();
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
        case ERROR_SHARING_VIOLATION:
            return "the file is open in another program, which keeps it from being replaced";
        default:
            return Win32Reason(error);
    }
}

// NameRule::FirstFree: the finished file is moved to each name in turn
// until one is free, so no name is ever claimed empty.
WriteResult WriteUnderFirstFreeName(const std::string& path, const std::wstring& wide,
                                    const ContentWriter& writeContents) {
    Target target;
    std::string reason = SetFolder(wide, target);
    if (reason.empty()) {
        const DWORD folder = ::GetFileAttributesW(target.folder.c_str());
        if (folder == INVALID_FILE_ATTRIBUTES || !(folder & FILE_ATTRIBUTE_DIRECTORY)) {
            reason = NoSuchFileReason(path);
        }
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
            const std::optional<std::wstring> name = WideFromUtf8(candidate);
            const std::wstring full = name ? FullPath(*name) : std::wstring();
            if (!full.empty() &&
                ::MoveFileExW(file.path.c_str(), full.c_str(), MOVEFILE_WRITE_THROUGH)) {
                file.path.clear();
                return true;
            }
            errno = ErrnoOf(::GetLastError());
            return false;
        },
        failure);
    if (!claimed) {
        return {false, failure};
    }
    return {true, {}, *claimed};
}

}  // namespace

WriteResult ReplaceFileWith(const std::string& path, const ContentWriter& writeContents,
                            NameRule rule) {
    if (path.empty()) {
        return {false, FailureMessage(path, Win32Reason(ERROR_FILE_NOT_FOUND))};
    }
    const std::optional<std::wstring> wide = WideFromUtf8(path);
    if (!wide) {
        return {false, FailureMessage(path, kNotUtf8)};
    }
    if (rule == NameRule::FirstFree) {
        return WriteUnderFirstFreeName(path, *wide, writeContents);
    }
    Target target;
    NewFile file;
    std::string reason = Resolve(*wide, target);
    if (reason.empty()) {
        reason = WriteComplete(target, writeContents, file);
    }
    if (reason.empty()) {
        reason = PutInPlace(target, file);
    }
    if (!reason.empty()) {
        return {false, FailureMessage(path, reason)};
    }
    return {true, {}, path};
}

std::string NoSuchFileReason(const std::string& path) {
    const std::size_t slash = LastSeparator(path);
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? path.substr(0, 1)
                                                          : path.substr(0, slash);
    const std::optional<std::wstring> wide = WideFromUtf8(folder);
    if (wide && ::GetFileAttributesW(wide->c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return Win32Reason(error) + " (the folder " + Quoted(folder) + " does not exist)";
        }
    }
    return Win32Reason(ERROR_FILE_NOT_FOUND);
}

}  // namespace platform::files
