#include "output/bitmap_file.h"

#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <climits>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "output/bmp_decode.h"

namespace {

namespace fs = std::filesystem;
using testing_support::DecodeBitmap;
using testing_support::Le16;
using testing_support::Le32;
using testing_support::ReadBitmapFile;
using testing_support::ReadBytes;

std::uint32_t Colour(int x, int y) {
    return static_cast<std::uint32_t>((x * 37 + 11) & 0xFF) << 16 |
           static_cast<std::uint32_t>((y * 53 + 7) & 0xFF) << 8 |
           static_cast<std::uint32_t>((x * 5 + y * 3 + 1) & 0xFF);
}

std::vector<std::uint32_t> Pattern(int width, int height, int stride) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(stride) * height, 0xFFFFFFFF);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[static_cast<std::size_t>(y) * stride + x] = Colour(x, y);
        }
    }
    return pixels;
}

class TempFolder {
  public:
    TempFolder() {
        std::string name = (fs::temp_directory_path() / "tess-bmp-XXXXXX").string();
        path_ = ::mkdtemp(name.data());
    }
    ~TempFolder() { fs::remove_all(path_); }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(path_)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

  private:
    fs::path path_;
};

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

TEST(BitmapEncoding, HeadersAndRowPaddingFollowTheWidth) {
    // Widths 1, 2, 3, 5 need 1, 2, 3 and 1 padding bytes per row.
    for (const auto& [width, rowBytes] :
         std::vector<std::pair<int, std::size_t>>{{1, 4}, {2, 8}, {3, 12}, {5, 16}}) {
        SCOPED_TRACE(width);
        const int height = 3;
        const auto pixels = Pattern(width, height, width);
        const auto encoded = output::EncodeBitmap({pixels.data(), width, height, width});
        ASSERT_TRUE(encoded.bytes);
        const std::vector<std::uint8_t> b(encoded.bytes.get(), encoded.bytes.get() + encoded.size);
        ASSERT_EQ(b.size(), 54 + rowBytes * height);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(Le32(b, 2), b.size());  // file size
        EXPECT_EQ(Le32(b, 6), 0u);        // reserved
        EXPECT_EQ(Le32(b, 10), 54u);      // pixel data offset
        EXPECT_EQ(Le32(b, 14), 40u);      // information header size
        EXPECT_EQ(Le32(b, 18), std::uint32_t(width));
        EXPECT_EQ(Le32(b, 22), std::uint32_t(height));  // positive: bottom row first
        EXPECT_EQ(Le16(b, 26), 1);                      // planes
        EXPECT_EQ(Le16(b, 28), 24);                     // bits per pixel
        EXPECT_EQ(Le32(b, 30), 0u);                     // uncompressed
        EXPECT_EQ(Le32(b, 34), rowBytes * height);      // image size
        EXPECT_EQ(Le32(b, 46), 0u);                     // no palette
        for (int row = 0; row < height; ++row) {
            const std::size_t start = 54 + rowBytes * row;
            const int y = height - 1 - row;
            // Blue, green, red, then zero padding.
            EXPECT_EQ(b[start + 0], Colour(0, y) & 0xFF);
            EXPECT_EQ(b[start + 1], Colour(0, y) >> 8 & 0xFF);
            EXPECT_EQ(b[start + 2], Colour(0, y) >> 16 & 0xFF);
            const std::size_t last = start + 3 * (width - 1);
            EXPECT_EQ(b[last + 2], Colour(width - 1, y) >> 16 & 0xFF);
            for (std::size_t p = start + 3 * width; p < start + rowBytes; ++p) {
                EXPECT_EQ(b[p], 0) << "padding byte " << p - start << " of row " << row;
            }
        }
    }
}

TEST(BitmapEncoding, RowsWiderThanThePictureAreCutToIt) {
    // Widths around the sixteen pixels encoded at a time; the unused top
    // byte of each pixel never reaches the file.
    for (const int width : {6, 16, 17, 32, 47, 50}) {
        SCOPED_TRACE(width);
        auto pixels = Pattern(width, 4, width + 3);
        for (auto& pixel : pixels) {
            pixel |= 0xA5000000;
        }
        const auto encoded = output::EncodeBitmap({pixels.data(), width, 4, width + 3});
        const auto image = DecodeBitmap({encoded.bytes.get(), encoded.bytes.get() + encoded.size});
        ASSERT_TRUE(image);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < width; ++x) {
                EXPECT_EQ(image->at(x, y), Colour(x, y)) << x << "," << y;
            }
        }
    }
}

TEST(BitmapEncoding, RefusesEmptyAndOversizedPictures) {
    const std::uint32_t pixel = 0;
    EXPECT_FALSE(output::EncodeBitmap({&pixel, 0, 1, 1}).bytes);
    EXPECT_FALSE(output::EncodeBitmap({&pixel, 1, 0, 1}).bytes);
    EXPECT_FALSE(output::EncodeBitmap({nullptr, 1, 1, 1}).bytes);
    // 40000 x 40000 needs more than the 32-bit file size can say.
    const auto huge = output::EncodeBitmap({&pixel, 40000, 40000, 40000});
    EXPECT_FALSE(huge.bytes);
    EXPECT_NE(huge.error.find("too large"), std::string::npos);
}

TEST(BitmapFile, RoundTripKeepsEveryPixelAndTheNameAsGiven) {
    TempFolder folder;
    const int width = 37, height = 23;
    const auto pixels = Pattern(width, height, width);
    // No extension is added to a name without one.
    const std::string path = folder / "capture";
    const auto result = output::WriteBitmapFile(path, {pixels.data(), width, height, width});
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(folder.entries(), std::set<std::string>{"capture"});
    const auto image = ReadBitmapFile(path);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, width);
    ASSERT_EQ(image->height, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(image->at(x, y), Colour(x, y)) << x << "," << y;
        }
    }
}

TEST(BitmapFile, NewFilesGetTheUmaskModeAndReplacedFilesKeepTheirs) {
    TempFolder folder;
    const std::uint32_t pixel = 0x123456;
    const mode_t previous = ::umask(027);
    const auto fresh = output::WriteBitmapFile(folder / "new.bmp", {&pixel, 1, 1, 1});
    ::umask(previous);
    ASSERT_TRUE(fresh.ok) << fresh.message;
    struct stat status {};
    ASSERT_EQ(::stat((folder / "new.bmp").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);

    const std::string existing = folder / "old.bmp";
    WriteText(existing, "old contents");
    ASSERT_EQ(::chmod(existing.c_str(), 0604), 0);
    ASSERT_TRUE(output::WriteBitmapFile(existing, {&pixel, 1, 1, 1}).ok);
    ASSERT_EQ(::stat(existing.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0604u);
    EXPECT_TRUE(ReadBitmapFile(existing));
}

TEST(BitmapFile, ReplacingKeepsOnlyThePermissionBitsAndTheOwner) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can save over another user's file";
    }
    TempFolder folder;
    const std::string path = folder / "setuid.bmp";
    WriteText(path, "old");
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(path.c_str(), 06755), 0);
    const std::uint32_t pixel = 0;
    ASSERT_TRUE(output::WriteBitmapFile(path, {&pixel, 1, 1, 1}).ok);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0755u);
    EXPECT_EQ(status.st_uid, 65534u);
    EXPECT_EQ(status.st_gid, 65534u);
}

// The umask belongs to every thread of the process: setting it, even for a
// moment, can give another thread's new file the wrong mode. The child
// saving here is killed by any umask() call.
TEST(BitmapFile, NewFilesGetTheUmaskModeWithoutTheUmaskBeingSet) {
    TempFolder folder;
    const std::string path = folder / "new.bmp";
    const pid_t child = ::fork();
    if (child == 0) {
        ::umask(027);
        sock_filter filter[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_umask, 0, 1),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        };
        const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
            ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
            ::_exit(2);
        }
        const std::uint32_t pixel = 0;
        ::_exit(output::WriteBitmapFile(path, {&pixel, 1, 1, 1}).ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    if (WEXITSTATUS(status) == 2) {
        GTEST_SKIP() << "no seccomp filter can be installed here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// The temporary file must fit wherever the target does, even when its own
// name is short and the path as long as a path may be.
TEST(BitmapFile, APathOfTheLongestLengthIsSaved) {
    TempFolder folder;
    std::string path = folder / "";
    while (PATH_MAX - 1 - path.size() > 13) {
        path += std::string(std::min<std::size_t>(200, PATH_MAX - 1 - path.size() - 13), 'd');
        ASSERT_TRUE(fs::create_directory(path));
        path += '/';
    }
    path += std::string(PATH_MAX - 1 - path.size() - 4, 'n') + ".bmp";
    const std::uint32_t pixel = 0x102030;
    const auto result = output::WriteBitmapFile(path, {&pixel, 1, 1, 1});
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_TRUE(ReadBitmapFile(path));
    const fs::path parent = fs::path(path).parent_path();
    EXPECT_EQ(std::distance(fs::directory_iterator(parent), fs::directory_iterator()), 1);
}

TEST(BitmapFile, WritesThroughASymbolicLink) {
    TempFolder folder;
    WriteText(folder / "real.bmp", "old");
    fs::create_symlink(folder / "real.bmp", folder / "link.bmp");
    const std::uint32_t pixel = 0xABCDEF;
    ASSERT_TRUE(output::WriteBitmapFile(folder / "link.bmp", {&pixel, 1, 1, 1}).ok);
    EXPECT_TRUE(fs::is_symlink(folder / "link.bmp"));
    const auto image = ReadBitmapFile(folder / "real.bmp");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->at(0, 0), 0xABCDEFu);
}

TEST(BitmapFile, FailuresNameThePathAndReasonAndLeaveNothingBehind) {
    TempFolder folder;
    const std::uint32_t pixel = 0;

    const std::string missing = folder / "no-such-folder/x.bmp";
    auto result = output::WriteBitmapFile(missing, {&pixel, 1, 1, 1});
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find(missing), std::string::npos) << result.message;
    EXPECT_NE(result.message.find(std::strerror(ENOENT)), std::string::npos) << result.message;

    // A folder of that name is not replaced by the file.
    fs::create_directory(folder / "sub");
    WriteText(folder / "sub/inside", "kept");
    result = output::WriteBitmapFile(folder / "sub", {&pixel, 1, 1, 1});
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find(std::strerror(EISDIR)), std::string::npos) << result.message;
    EXPECT_EQ(ReadText(folder / "sub/inside"), "kept");

    // A path through a plain file.
    WriteText(folder / "plain", "kept");
    result = output::WriteBitmapFile(folder / "plain/x.bmp", {&pixel, 1, 1, 1});
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find(std::strerror(ENOTDIR)), std::string::npos) << result.message;

    result = output::WriteBitmapFile(folder / "empty.bmp", {&pixel, 0, 0, 0});
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("empty"), std::string::npos) << result.message;

    EXPECT_EQ(folder.entries(), (std::set<std::string>{"sub", "plain"}));
}

// A write that runs out of room part-way (here the file-size limit, which
// holds even for root) leaves the existing file exactly as it was.
TEST(BitmapFile, AWriteCutShortLeavesTheExistingFileUntouched) {
    TempFolder folder;
    const std::string path = folder / "picture.bmp";
    WriteText(path, "the previous picture");
    const auto pixels = Pattern(200, 200, 200);

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const auto result = output::WriteBitmapFile(path, {pixels.data(), 200, 200, 200});
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find(path), std::string::npos) << result.message;
    EXPECT_NE(result.message.find(std::strerror(EFBIG)), std::string::npos) << result.message;
    EXPECT_EQ(ReadText(path), "the previous picture");
    EXPECT_EQ(folder.entries(), std::set<std::string>{"picture.bmp"});

    // With room again the same call replaces it whole.
    ASSERT_TRUE(output::WriteBitmapFile(path, {pixels.data(), 200, 200, 200}).ok);
    const auto image = ReadBitmapFile(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->at(199, 199), Colour(199, 199));
    EXPECT_EQ(folder.entries(), std::set<std::string>{"picture.bmp"});
}

}  // namespace
