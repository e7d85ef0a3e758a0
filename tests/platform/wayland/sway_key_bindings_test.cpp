#include "platform/wayland/sway_key_bindings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

platform::KeyCombination Print(bool shift = false, bool controlAndAlt = false) {
    platform::KeyCombination keys;
    keys.key = 0x2C;
    keys.shift = shift;
    keys.control = keys.alt = controlAndAlt;
    return keys;
}

std::string NoFiles(const std::string&) {
    return {};
}

TEST(SwayConfiguration, BindingsInTheDefaultModeHoldTheCombination) {
    const char* config =
        "set $mod Mod4\n"
        "set $shot Shift+Print\n"
        "bindsym --to-code $mod+Print exec grim\n"
        "bindsym $shot exec grim -g x\n"
        "mode \"resize\" {\n"
        "    bindsym Print exec nothing\n"
        "}\n"
        "bindsym {\n"
        "    Ctrl+Mod1+Shift+print exec grim\n"
        "}\n";
    const auto binds = [&](const platform::KeyCombination& keys) {
        return platform::sway::ConfigBinds(config, "/etc/sway", keys, &NoFiles);
    };
    // Print alone is bound only in another mode; Mod4+Print is another
    // combination.
    EXPECT_FALSE(binds(Print()));
    EXPECT_TRUE(binds(Print(true)));
    EXPECT_TRUE(binds(Print(true, true)));
}

TEST(SwayConfiguration, IncludedFilesAndKeycodesCount) {
    const auto read = [](const std::string& path) -> std::string {
        return path == "/etc/sway/config.d/*" ? "# a comment\nbindcode 107 exec grim\n" : "";
    };
    EXPECT_TRUE(platform::sway::ConfigBinds("include /etc/sway/config.d/*\n", "/x", Print(), read));
    // Relative to the configuration's folder.
    EXPECT_TRUE(platform::sway::ConfigBinds("include config.d/*\n", "/etc/sway", Print(), read));
    // Continued lines are one line; a lock modifier makes another combination.
    EXPECT_TRUE(
        platform::sway::ConfigBinds("bindsym \\\n  Print exec grim\n", "/", Print(), &NoFiles));
    EXPECT_FALSE(
        platform::sway::ConfigBinds("bindsym Mod2+Print exec grim\n", "/", Print(), &NoFiles));
    EXPECT_EQ(platform::sway::SwayCombination(Print(true, true)), "Ctrl+Mod1+Shift+Print");
}

// What sway reads that a plain reading missed: modifiers after the key and
// in any case, and an include through an environment variable.
TEST(SwayConfiguration, ReadAsSwayReadsIt) {
    EXPECT_TRUE(
        platform::sway::ConfigBinds("bindsym Print+SHIFT exec grim\n", "/", Print(true), &NoFiles));
    EXPECT_FALSE(
        platform::sway::ConfigBinds("bindsym Print+Shift exec grim\n", "/", Print(), &NoFiles));
    const std::string folder = ::testing::TempDir() + "/sway-include";
    ASSERT_EQ(::setenv("TESS_TEST_FOLDER", folder.c_str(), 1), 0);
    std::filesystem::create_directories(folder + "/config.d");
    std::ofstream(folder + "/config.d/keys") << "bindsym Print exec grim\n";
    EXPECT_TRUE(platform::sway::ConfigBinds("include $TESS_TEST_FOLDER/config.d/*\n", "/", Print(),
                                            &platform::sway::ReadIncluded));
    std::filesystem::remove_all(folder);
}

// sway drops the quotes around the path before the shell sees it: a path
// that would need them is refused, named in the reason.
TEST(SwayBindings, OnlyAPathNeedingNoQuotesIsBound) {
    EXPECT_EQ(platform::sway::ProgramPathRefusal("/usr/lib/x86_64/tessarine-1.2+b"), "");
    for (const std::string path : {"/opt/a b/t", "/opt/it's/t", "/opt/$x;y/t"}) {
        EXPECT_NE(platform::sway::ProgramPathRefusal(path).find('"' + path + '"'),
                  std::string::npos);
    }
}

}  // namespace
