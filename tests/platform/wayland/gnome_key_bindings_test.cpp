#include "platform/wayland/gnome_key_bindings.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "platform/wayland/desktop_name.h"
#include "platform/wayland/screenshot_permission.h"

namespace {

platform::KeyCombination Print(bool shift = false, bool controlAlt = false) {
    platform::KeyCombination keys;
    keys.key = 0x2C;
    keys.shift = shift;
    keys.control = controlAlt;
    keys.alt = controlAlt;
    return keys;
}

TEST(GnomeKeyBindings, ReadsGnomeAcceleratorsAsTheyAreWritten) {
    EXPECT_EQ(platform::GnomeAccelerator(Print()), "Print");
    EXPECT_EQ(platform::GnomeAccelerator(Print(true, true)), "<Control><Alt><Shift>Print");
    EXPECT_TRUE(platform::SameCombination("<Shift>Print", Print(true)));
    EXPECT_TRUE(platform::SameCombination("<shift>print", Print(true)));
    EXPECT_TRUE(platform::SameCombination("<Primary><Alt><Shift>Print", Print(true, true)));
    // A modifier more or less, another key, or no combination at all.
    EXPECT_FALSE(platform::SameCombination("<Shift>Print", Print()));
    EXPECT_FALSE(platform::SameCombination("<Alt>Print", Print()));
    EXPECT_FALSE(platform::SameCombination("<Super><Shift>Print", Print(true)));
    EXPECT_FALSE(platform::SameCombination("<Hyper>Print", Print()));
    EXPECT_FALSE(platform::SameCombination("Sys_Req", Print()));
    EXPECT_FALSE(platform::SameCombination("<Shift", Print(true)));
    EXPECT_FALSE(platform::SameCombination("", Print()));
    EXPECT_FALSE(platform::SameCombination("disabled", Print()));
}

TEST(GnomeKeyBindings, TellsTheDesktopAndTheStoredScreenshotAnswer) {
    EXPECT_TRUE(platform::DesktopIs("GNOME", "ubuntu:GNOME"));
    EXPECT_TRUE(platform::DesktopIs("GNOME", "gnome"));
    EXPECT_FALSE(platform::DesktopIs("GNOME", "GNOME-Flashback:Unity"));
    using platform::StoredConsent;
    EXPECT_EQ(platform::ConsentIn({{"", {"yes"}}}), StoredConsent::Yes);
    EXPECT_EQ(platform::ConsentIn({{"", {"no"}}, {"org.example.App", {"yes"}}}), StoredConsent::No);
    // Only a sandboxed program's answer, an empty or unknown one: GNOME asks.
    EXPECT_EQ(platform::ConsentIn({{"org.example.App", {"yes"}}}), StoredConsent::Unknown);
    EXPECT_EQ(platform::ConsentIn({{"", {"ask"}}}), StoredConsent::Unknown);
}

// A killed run's entry is kept only while its process number belongs to a
// copy of this program, not to another named tessarine-window.
TEST(GnomeKeyBindings, TellsOurRunningProgramFromOneNamedLikeIt) {
    QTemporaryDir dir;
    QByteArray other = dir.filePath("tessarine-window").toLocal8Bit();
    char* argv[] = {other.data(), const_cast<char*>("60"), nullptr};
    pid_t pids[2] = {};
    ASSERT_TRUE(QFile::link("/bin/sleep", other) &&
                ::posix_spawn(&pids[0], argv[0], nullptr, nullptr, argv, environ) == 0);
    if ((pids[1] = ::fork()) == 0) {
        ::pause();
    }
    EXPECT_FALSE(platform::RunsThisProgram(pids[0]));
    EXPECT_TRUE(platform::RunsThisProgram(pids[1]));
    for (const pid_t pid : pids) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

// GNOME's own schemas, with settings kept in a key file of a folder of the
// test's: Print and Shift+Print belong to GNOME's screenshot bindings as
// shipped, and a combination GNOME leaves free is bound to our command for
// as long as the grab lives.
TEST(GnomeKeyBindings, LeavesGnomeItsKeysAndRemovesOurBindingWithTheGrab) {
    if (!QFile::exists("/usr/share/glib-2.0/schemas/org.gnome.shell.gschema.xml") ||
        !QFile::exists("/usr/share/glib-2.0/schemas/"
                       "org.gnome.settings-daemon.plugins.media-keys.gschema.xml")) {
        GTEST_SKIP() << "GNOME's schemas are not installed (scripts/deps.sh lists them)";
    }
    QTemporaryDir config;
    ::setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
    const QString keyFile = config.filePath("glib-2.0/settings/keyfile");
    const auto stored = [&keyFile] {
        QFile file(keyFile);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };

    for (const bool shift : {false, true}) {
        const platform::ClaimOutcome held = platform::ClaimGnomeKeyBinding(
            Print(shift), "print", "'/usr/bin/tessarine' --hot-key print");
        EXPECT_EQ(held.result, platform::ClaimResult::HeldByAnother);
        EXPECT_NE(held.note.find(shift ? "give \"Take a screenshot\" another key in Settings > "
                                         "Keyboard > Keyboard Shortcuts > Screenshots"
                                       : "give \"Take a screenshot interactively\" another key"),
                  std::string::npos)
            << held.note;
        EXPECT_EQ(held.grab, nullptr);
    }
    {
        const platform::ClaimOutcome claimed = platform::ClaimGnomeKeyBinding(
            Print(true, true), "ctrl-alt-shift-print", "'/usr/bin/tessarine' --hot-key x");
        ASSERT_EQ(claimed.result, platform::ClaimResult::Claimed) << claimed.note;
        const QString ours = QString("tessarine-%1-ctrl-alt-shift-print/").arg(::getpid());
        EXPECT_TRUE(stored().contains(ours)) << stored().toStdString();
        EXPECT_TRUE(stored().contains("binding='<Control><Alt><Shift>Print'"))
            << stored().toStdString();
    }
    // Out of GNOME's list, its keys reset.
    EXPECT_TRUE(stored().contains("custom-keybindings=[]")) << stored().toStdString();
    EXPECT_FALSE(stored().contains("binding=")) << stored().toStdString();
    ::unsetenv("GSETTINGS_BACKEND");
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
