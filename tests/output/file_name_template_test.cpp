#include "output/file_name_template.h"
#include "output/time_fields.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

namespace {

TEST(FileNameTemplate, FillsTimeAndSizeAndNeverReusesAName) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 7;
    when.tm_hour = 9;
    when.tm_min = 5;
    when.tm_sec = 3;
    EXPECT_EQ(output::FillFileNameTemplate("s/%Y-%m-%d_%H%M%S_$wx$h.png", when, 1920, 1080),
              "s/2026-03-07_090503_1920x1080.png");
    EXPECT_EQ(output::FillFileNameTemplate("%F_%T %% $x", when, 1, 2), "2026-03-07_09:05:03 % $x");
    EXPECT_FALSE(output::IsFileNameTemplate("plain $name.png"));
    EXPECT_TRUE(output::IsFileNameTemplate("$h.png"));

    std::string folder = (std::filesystem::temp_directory_path() / "tess-tmpl-XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    std::string error;
    const auto make = [](const std::string& candidate) {
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        return fd >= 0 && ::close(fd) == 0;
    };
    const std::string name = folder + "/a.b/shot.png";
    std::filesystem::create_directory(folder + "/a.b");
    EXPECT_EQ(output::ClaimFreeName(name, make, error), name);
    EXPECT_EQ(output::ClaimFreeName(name, make, error), folder + "/a.b/shot_1.png");
    EXPECT_EQ(output::ClaimFreeName(folder + "/a.b/noext", make, error), folder + "/a.b/noext");
    EXPECT_EQ(output::ClaimFreeName(folder + "/a.b/noext", make, error), folder + "/a.b/noext_1");
    EXPECT_FALSE(output::ClaimFreeName(folder + "/missing/x.png", make, error));
    EXPECT_NE(error.find("the folder \"" + folder + "/missing\" does not exist"), std::string::npos)
        << error;
    std::filesystem::remove_all(folder);
}

TEST(FileNameTemplate, HomeFolderIsNotFilledIn) {
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", "/home/u/h%m$w", 1);
    std::tm when{};
    when.tm_year = 2026 - 1900;
    const auto filled = output::FillFileNameTemplate("~/x_%Y_$w.png", when, 5, 6);
    ::setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(filled, "/home/u/h%m$w/x_2026_5.png");
}

}  // namespace

namespace {

// Our own filling in gives what glibc's strftime gives, which the names
// were made with before, across year ends (the ISO weeks) and the fields'
// flags and modifiers.
TEST(FileNameTemplate, TimeFieldsAsTheCLibraryWritesThem) {
    for (std::time_t at = 946'000'000; at < 1'900'000'000; at += 86'400 * 17 + 3'671) {
        std::tm when{};
        ::localtime_r(&at, &when);
        for (const char* field : {"%a %A %b %B %c %C %d %D %e %F %g %G %h %H %I %j %k %l %m",
                                  "%M %p %P %r %R %s %S %T %u %U %V %w %W %x %X %y %Y %z %Z %%",
                                  "%-d %_H %0e %^a %#b %5j %Ey %Od %Ed %^Ob %10A %Q %^q %5q %"}) {
            char expected[256];
            const std::size_t length = std::strftime(expected, sizeof expected, field, &when);
            EXPECT_EQ(output::FormatTimeFields(field, when, ':'), std::string(expected, length))
                << field << " at " << at;
        }
    }
}

}  // namespace
