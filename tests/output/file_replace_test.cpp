#include "output/file_replace.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

namespace {

namespace fs = std::filesystem;
constexpr uid_t kNobody = 65534;
constexpr uid_t kOther = 1;
const std::string kOldText = "the old picture";
const std::string kNewText = "the new picture";

// Adds and removes chattr flags; false where the file system has none.
bool ChangeFlags(const std::string& path, int add, int remove) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int flags = 0;
    bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = (flags | add) & ~remove;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

std::string Attribute(const std::string& path, const char* name) {
    char value[256];
    const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? std::string() : std::string(value, static_cast<std::size_t>(size));
}

// An access ACL as the kernel stores it: owner rw-, user nobody rw-,
// group r--, mask rw-, others ---.
std::string AclWithNobody() {
    struct Entry {
        std::uint16_t tag, perm;
        std::uint32_t id;
    };
    constexpr std::uint32_t kNone = ~0u;
    const Entry entries[] = {
        {0x01, 6, kNone}, {0x02, 6, kNobody}, {0x04, 4, kNone}, {0x10, 6, kNone}, {0x20, 0, kNone}};
    std::string acl(4, '\0');
    acl[0] = 2;  // the format's version
    return acl.append(reinterpret_cast<const char*>(entries), sizeof entries);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

struct Case {
    const char* label;
    // Makes what is saved to in `folder`, returning its path, or sets `skip`.
    std::function<std::string(const std::string& folder, std::string& skip)> setup;
    bool asNobody;        // saved by a process of user nobody
    const char* refusal;  // in the message; nullptr when it is saved
    std::function<void(const std::string& path)> check;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.label;
}

std::string OldFile(const std::string& folder, uid_t owner, mode_t mode) {
    const std::string path = folder + "/keep.bmp";
    std::ofstream(path) << kOldText;
    EXPECT_EQ(::chown(path.c_str(), owner, owner), 0);
    EXPECT_EQ(::chmod(path.c_str(), mode), 0);
    return path;
}

const Case kCases[] = {
    {"AclAndUserAttributesKept",
     [](const std::string& folder, std::string& skip) {
         const std::string path = OldFile(folder, ::geteuid(), 0640);
         const std::string acl = AclWithNobody();
         if (::setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0 ||
             ::setxattr(path.c_str(), "user.note", "kept", 4, 0) != 0) {
             skip = std::string("no ACL or user attributes here: ") + std::strerror(errno);
         }
         return path;
     },
     false, nullptr,
     [](const std::string& path) {
         struct stat status {};
         ASSERT_EQ(::stat(path.c_str(), &status), 0);
         EXPECT_EQ(status.st_mode & 07777, 0660u) << "the group's bits are the ACL's mask";
         EXPECT_EQ(Attribute(path, "system.posix_acl_access"), AclWithNobody());
         EXPECT_EQ(Attribute(path, "user.note"), "kept");
     }},
    {"AnotherUsersFileIsNotHandedOver",
     [](const std::string& folder, std::string& skip) {
         if (::geteuid() != 0) {
             skip = "needs root to make another user's file";
         }
         ::chmod(folder.c_str(), 0777);
         return OldFile(folder, kOther, 0666);
     },
     true, "belongs to another user", nullptr},
    {"ProtectedRegularIsHonoured",
     [](const std::string& folder, std::string& skip) {
         if (::geteuid() != 0 || ReadText("/proc/sys/fs/protected_regular").substr(0, 1) == "0") {
             skip = "needs root and fs.protected_regular set";
         }
         ::chmod(folder.c_str(), 01777);
         return OldFile(folder, kOther, 0666);
     },
     false, "fs.protected_regular", nullptr},
    {"AppendOnlyFolderKeepsItsFiles",
     [](const std::string& folder, std::string& skip) {
         const std::string path = OldFile(folder, ::geteuid(), 0644);
         if (!ChangeFlags(folder, FS_APPEND_FL, 0)) {
             skip = "no chattr +a here";
         }
         return path;
     },
     false, "is append-only", nullptr},
    {"AppendOnlyFolderTakesNewFiles",
     [](const std::string& folder, std::string& skip) {
         if (!ChangeFlags(folder, FS_APPEND_FL, 0)) {
             skip = "no chattr +a here";
         }
         return folder + "/new.bmp";
     },
     false, nullptr, nullptr},
    {"ImmutableFileIsNamed",
     [](const std::string& folder, std::string& skip) {
         const std::string path = OldFile(folder, ::geteuid(), 0644);
         if (!ChangeFlags(path, FS_IMMUTABLE_FL, 0)) {
             skip = "no chattr +i here";
         }
         return path;
     },
     false, "immutable", nullptr},
};

class FileReplace : public testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        // chattr needs a real file system; tmpfs has no such flags.
        fs::path base = fs::temp_directory_path();
        struct statfs info {};
        if (::statfs(base.c_str(), &info) == 0 && info.f_type == TMPFS_MAGIC) {
            base = fs::current_path();
        }
        std::string name = (base / "tess-replace-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        folder_ = name;
    }
    void TearDown() override {
        ChangeFlags(folder_, 0, FS_APPEND_FL | FS_IMMUTABLE_FL);
        for (const auto& entry : fs::directory_iterator(folder_)) {
            ChangeFlags(entry.path(), 0, FS_APPEND_FL | FS_IMMUTABLE_FL);
        }
        fs::remove_all(folder_);
    }

    // Saves as user nobody in a child process when `asNobody`.
    output::WriteResult Save(const std::string& path, bool asNobody) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(kNewText.data());
        if (!asNobody) {
            return output::ReplaceFileContents(path, data, kNewText.size());
        }
        int pipe[2];
        EXPECT_EQ(::pipe(pipe), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipe[0]);
            std::string message = "could not become nobody";
            if (::setgroups(0, nullptr) == 0 && ::setresgid(kNobody, kNobody, kNobody) == 0 &&
                ::setresuid(kNobody, kNobody, kNobody) == 0) {
                const auto result = output::ReplaceFileContents(path, data, kNewText.size());
                message = result.ok ? "" : result.message;
            }
            const bool written = ::write(pipe[1], message.data(), message.size()) >= 0;
            ::_exit(written ? 0 : 1);
        }
        ::close(pipe[1]);
        std::string message;
        char buffer[512];
        for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;) {
            message.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(pipe[0]);
        ::waitpid(child, nullptr, 0);
        return {message.empty(), message};
    }

    std::string folder_;
};

TEST_P(FileReplace, KeepsWhatAWriteWouldAndRefusesWhatItWouldNot) {
    const Case& c = GetParam();
    std::string skip;
    const std::string path = c.setup(folder_, skip);
    if (!skip.empty()) {
        GTEST_SKIP() << skip;
    }
    const std::set<std::string> before = Entries(folder_);
    struct stat old {};
    const bool existed = ::stat(path.c_str(), &old) == 0;

    const output::WriteResult result = Save(path, c.asNobody);

    std::set<std::string> expected = before;
    if (c.refusal) {
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.message.find(c.refusal), std::string::npos) << result.message;
        EXPECT_NE(result.message.find(path), std::string::npos) << result.message;
        struct stat now {};
        ASSERT_EQ(::stat(path.c_str(), &now), 0);
        EXPECT_EQ(ReadText(path), kOldText);
        EXPECT_EQ(now.st_uid, old.st_uid);
    } else {
        ASSERT_TRUE(result.ok) << result.message;
        EXPECT_EQ(ReadText(path), kNewText);
        expected.insert(fs::path(path).filename().string());
        if (existed && c.check) {
            c.check(path);
        }
    }
    EXPECT_EQ(Entries(folder_), expected) << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(Cases, FileReplace, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.label);
                         });

}  // namespace
