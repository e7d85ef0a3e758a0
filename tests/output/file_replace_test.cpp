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

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
constexpr uid_t kNobody = 65534;
constexpr uid_t kOther = 1;

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

// An access ACL as the kernel stores it: version 2, then tag, permissions
// and id of owner rw-, user nobody rw-, group r--, mask rw-, others ---.
const std::string kAcl(
    "\2\0\0\0\1\0\6\0\377\377\377\377\2\0\6\0\376\377\0\0\4\0\4\0\377\377\377\377"
    "\20\0\6\0\377\377\377\377\40\0\0\0\377\377\377\377",
    44);

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Case {
    const char* label;
    bool existing;        // "keep.bmp" is replaced; otherwise "new.bmp" is made
    uid_t owner;          // of the existing file; 0: the saving process's
    mode_t folderMode;    // 0: as made
    int folderFlags;      // chattr flags
    bool withAttributes;  // the file has an ACL and a user.* attribute
    bool asNobody;        // saved by a process of user nobody (needs root)
    const char* needs;    // /proc/sys setting that must be on, or nullptr
    const char* refusal;  // in the message; nullptr when it is saved
};

const Case kCases[] = {
    {"AclAndUserAttributesKept", true, 0, 0, 0, true, false, nullptr, nullptr},
    {"AnotherUsersFileIsNotHandedOver", true, kOther, 0777, 0, false, true, nullptr,
     "belongs to another user"},
    {"ProtectedRegularIsHonoured", true, kOther, 01777, 0, false, false,
     "/proc/sys/fs/protected_regular", "fs.protected_regular"},
    {"AppendOnlyFolderKeepsItsFiles", true, 0, 0, FS_APPEND_FL, false, false, nullptr,
     "is append-only"},
    {"AppendOnlyFolderTakesNewFiles", false, 0, 0, FS_APPEND_FL, false, false, nullptr, nullptr},
};

class FileReplace : public testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        // chattr needs a real file system: tmpfs may have no such flags.
        struct statfs info {};
        const bool tmpfs = ::statfs("/tmp", &info) == 0 && info.f_type == TMPFS_MAGIC;
        std::string name = std::string(tmpfs ? "." : "/tmp") + "/tess-replace-XXXXXX";
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        folder_ = name;
    }
    void TearDown() override {
        ChangeFlags(folder_, 0, FS_APPEND_FL);
        fs::remove_all(folder_);
        if (!sysctlRestore_.first.empty()) {
            std::ofstream(sysctlRestore_.first) << sysctlRestore_.second;
        }
    }
    std::string folder_;
    std::pair<std::string, std::string> sysctlRestore_;
};

TEST_P(FileReplace, KeepsWhatAWriteWouldAndRefusesWhatItWouldNot) {
    const Case& c = GetParam();
    // A kernel setting the case needs is turned on for it where root may.
    std::string setting = c.needs ? ReadText(c.needs) : "1";
    if (setting.substr(0, 1) == "0" && std::ofstream(c.needs) << "1\n") {
        sysctlRestore_ = {c.needs, setting};
        setting = ReadText(c.needs);
    }
    if ((c.owner && ::geteuid() != 0) || setting.substr(0, 1) == "0") {
        GTEST_SKIP() << "needs root, and " << (c.needs ? c.needs : "nothing else") << " on";
    }
    const std::string path = folder_ + (c.existing ? "/keep.bmp" : "/new.bmp");
    if (c.existing) {
        std::ofstream(path) << "old";
        ASSERT_EQ(::chmod(path.c_str(), c.owner ? 0666 : 0640), 0);
        if (c.owner) {
            ASSERT_EQ(::chown(path.c_str(), c.owner, c.owner), 0);
        }
        if (c.withAttributes && (::setxattr(path.c_str(), "system.posix_acl_access", kAcl.data(),
                                            kAcl.size(), 0) != 0 ||
                                 ::setxattr(path.c_str(), "user.note", "kept", 4, 0) != 0)) {
            GTEST_SKIP() << "no ACL or user.* attributes here";
        }
    }
    if (c.folderMode) {
        ASSERT_EQ(::chmod(folder_.c_str(), c.folderMode), 0);
    }
    if (c.folderFlags && !ChangeFlags(folder_, c.folderFlags, 0)) {
        GTEST_SKIP() << "no chattr flags here";
    }

    // Saved in a child process, which may then become nobody; its status
    // says whether it was saved (0) or refused, naming the path, for the
    // reason expected (1).
    const pid_t child = ::fork();
    if (child == 0) {
        if (c.asNobody &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
             ::setresuid(kNobody, kNobody, kNobody) != 0)) {
            ::_exit(3);
        }
        const auto result =
            output::ReplaceFileContents(path, reinterpret_cast<const std::uint8_t*>("new"), 3);
        std::fprintf(stderr, "%s\n", result.message.c_str());
        const auto has = [&](const std::string& part) {
            return result.message.find(part) != std::string::npos;
        };
        ::_exit(result.ok ? 0 : c.refusal && has(c.refusal) && has(path) ? 1 : 2);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == (c.refusal ? 1 : 0)) << status;
    EXPECT_EQ(ReadText(path), c.refusal ? "old" : "new");
    struct stat now {};
    ::stat(path.c_str(), &now);
    EXPECT_EQ(now.st_uid, c.owner ? c.owner : ::geteuid()) << "the owner is kept";
    if (c.withAttributes) {
        EXPECT_EQ(now.st_mode & 07777, 0660u) << "the group's bits are the ACL's mask";
        EXPECT_EQ(Attribute(path, "system.posix_acl_access"), kAcl);
        EXPECT_EQ(Attribute(path, "user.note"), "kept");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1)
        << "no temporary file is left";
}

// A name that must not replace a file is given only to the finished
// picture: never claimed empty, so a killed save leaves no name behind, and
// an append-only folder takes it.
TEST_F(FileReplace, FirstFreeNameIsGivenOnlyToTheFinishedFile) {
    std::ofstream(folder_ + "/s.png") << "old";
    const std::string next = folder_ + "/s_1.png";
    const auto result = output::ReplaceFileWith(
        folder_ + "/s.png",
        [&](output::ByteSink& out) {
            return fs::exists(next) ? std::string("the name was claimed early")
                                    : out.write(reinterpret_cast<const std::uint8_t*>("new"), 3);
        },
        output::NameRule::FirstFree);
    EXPECT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.path, next);
    EXPECT_EQ(ReadText(next), "new");
    EXPECT_EQ(ReadText(folder_ + "/s.png"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 2);
    if (ChangeFlags(folder_, FS_APPEND_FL, 0)) {
        const auto appended = output::ReplaceFileContents(
            folder_ + "/s.png", reinterpret_cast<const std::uint8_t*>("add"), 3,
            output::NameRule::FirstFree);
        EXPECT_TRUE(appended.ok) << appended.message;
        EXPECT_EQ(ReadText(folder_ + "/s_2.png"), "add");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FileReplace, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.label);
                         });

}  // namespace
