#include "cli/command_line.h"

#include <gtest/gtest.h>

namespace {

using app::Action;
using app::CaptureArea;

std::optional<app::CommandLine> Parse(std::vector<std::string> args) {
    return app::ParseCommandLine(args).commandLine;
}

// The usage error for `args`, or "(accepted)".
std::string ErrorOf(std::vector<std::string> args) {
    const app::ParsedCommandLine parsed = app::ParseCommandLine(args);
    return parsed.commandLine ? "(accepted)" : parsed.error;
}

TEST(CommandLine, HelpAndVersionAnswerWhateverElseIsThere) {
    EXPECT_EQ(Parse({})->action, Action::RunProgram);
    EXPECT_EQ(Parse({"--help"})->action, Action::ShowHelp);
    EXPECT_EQ(Parse({"-h"})->action, Action::ShowHelp);
    EXPECT_EQ(Parse({"--capture", "--geometry", "junk", "--help"})->action, Action::ShowHelp);
    EXPECT_EQ(Parse({"--version", "--help"})->action, Action::ShowVersion);
    // After "--" they are file names.
    const auto file = Parse({"--capture", "--", "--help"});
    ASSERT_TRUE(file);
    EXPECT_EQ(file->action, Action::Capture);
    EXPECT_EQ(file->capture.file, "--help");
}

TEST(CommandLine, CaptureOptionsInAnyOrderAndBothSpellings) {
    const auto screen = Parse({"--capture", "shot.bmp"});
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->capture.area, CaptureArea::Screen);
    EXPECT_EQ(screen->capture.file, "shot.bmp");
    EXPECT_EQ(screen->capture.delaySeconds, 0);

    const auto region =
        Parse({"out.bmp", "--delay=1.5", "--geometry", "640x480+10+20", "--capture"});
    ASSERT_TRUE(region);
    const app::CaptureRequest& r = region->capture;
    EXPECT_EQ(r.area, CaptureArea::Geometry);
    EXPECT_EQ(r.delaySeconds, 1.5);
    EXPECT_EQ(r.file, "out.bmp");
    EXPECT_EQ(r.geometry.width, 640);
    EXPECT_EQ(r.geometry.yOffset, 20);

    const auto active = Parse({"--capture", "--active", "--delay", "2", "-"});
    ASSERT_TRUE(active);
    EXPECT_EQ(active->capture.area, CaptureArea::ActiveWindow);
    EXPECT_EQ(active->capture.file, "-");
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong) {
    EXPECT_EQ(ErrorOf({"--capture"}), "--capture needs the FILE to write (or --clipboard)");
    EXPECT_EQ(ErrorOf({"--capture", ""}), "the FILE name is empty");
    EXPECT_EQ(ErrorOf({"--capture", "a.bmp", "b.bmp"}),
              "--capture writes one FILE, but 2 were given (\"a.bmp\", \"b.bmp\")");
    EXPECT_EQ(ErrorOf({"--capture", "--geometry"}), "--geometry needs a value");
    EXPECT_EQ(ErrorOf({"--capture", "--delay"}), "--delay needs a value");
    EXPECT_EQ(ErrorOf({"--capture", "--geometry", "1x1+0+0", "--active", "a.bmp"}),
              "--geometry and --active cannot be used together");
    EXPECT_EQ(ErrorOf({"--capture", "--frobnicate", "a.bmp"}),
              "unknown option \"--frobnicate\" with --capture");
    EXPECT_EQ(ErrorOf({"--capture", "--delay", "-1", "a.bmp"}),
              "bad delay \"-1\": expected a number of seconds from 0 to 86400");
    EXPECT_EQ(ErrorOf({"--capture", "--geometry=10x10", "--geometry", "x", "a.bmp"}),
              "bad geometry \"x\": expected WxH+X+Y, such as 640x480+0+0");
    // An option is never taken for a value, nor a value for an option.
    EXPECT_EQ(ErrorOf({"--capture", "--geometry", "--help", "x.bmp"}),
              "--geometry needs a value, not the option \"--help\"");
    EXPECT_EQ(ErrorOf({"--delay", "--version"}),
              "--delay needs a value, not the option \"--version\"");
    EXPECT_EQ(Parse({"--geometry", "300x200", "--help"})->action, Action::ShowHelp);
    EXPECT_EQ(ErrorOf({"--capture", "--geometry", "99999999999x1+0+0", "x.bmp"}),
              "bad geometry \"99999999999x1+0+0\": the number 99999999999 is too large");
    // Without --capture: the capture's own options mean nothing.
    EXPECT_EQ(ErrorOf({"--active"}), "--active goes with --capture");
    EXPECT_EQ(ErrorOf({"--delay=3"}), "--delay goes with --capture");
    // ... while the toolkit's options still reach the toolkit, and nothing
    // else does.
    EXPECT_EQ(ErrorOf({"--geometry", "300x200+0+0", "-style", "fusion"}), "(accepted)");
    EXPECT_EQ(ErrorOf({"-display", ":3", "--platform=xcb", "-reverse"}), "(accepted)");
    EXPECT_EQ(ErrorOf({"-v"}), "unknown option \"-v\"");
    EXPECT_EQ(ErrorOf({"--foo"}), "unknown option \"--foo\"");
    EXPECT_EQ(ErrorOf({"-reverse=1"}), "unknown option \"-reverse=1\"");
    EXPECT_EQ(ErrorOf({"shot.bmp"}), "unexpected argument \"shot.bmp\"");
    EXPECT_EQ(ErrorOf({"-style"}), "-style needs a value");
    EXPECT_EQ(ErrorOf({"--pointer"}), "--pointer goes with --capture");
}

TEST(CommandLine, HotKeyTakesOneKnownKeyAndNothingElse) {
    for (const char* key : {"print", "shift-print", "ctrl-alt-shift-print"}) {
        const auto line = Parse({"--hot-key", key});
        ASSERT_TRUE(line) << key;
        EXPECT_EQ(line->action, Action::HotKey);
        EXPECT_EQ(line->hotKey, key);
    }
    EXPECT_EQ(Parse({"--hot-key=print"})->hotKey, "print");
    EXPECT_EQ(ErrorOf({"--hot-key", "Print"}),
              "bad hot key \"Print\": expected print, shift-print or ctrl-alt-shift-print");
    EXPECT_EQ(ErrorOf({"--hot-key"}), "--hot-key needs a value");
    EXPECT_EQ(ErrorOf({"--capture", "--hot-key", "print", "a.bmp"}),
              "\"--capture\" cannot be used with --hot-key");
    EXPECT_EQ(ErrorOf({"--hot-key", "print", "--hot-key", "print"}), "--hot-key takes one key");
}

TEST(Geometry, ReadsTheXForms) {
    std::string error;
    const auto g = app::ParseGeometry("=1920X1080-0-5", error);
    ASSERT_TRUE(g) << error;
    EXPECT_EQ(g->width, 1920);
    EXPECT_EQ(g->height, 1080);
    EXPECT_TRUE(g->xFromRight);
    EXPECT_TRUE(g->yFromBottom);
    EXPECT_EQ(g->xOffset, 0);
    EXPECT_EQ(g->yOffset, 5);

    const auto sizeOnly = app::ParseGeometry("30x40", error);
    ASSERT_TRUE(sizeOnly);
    EXPECT_EQ(sizeOnly->xOffset, 0);
    EXPECT_FALSE(sizeOnly->xFromRight);

    for (const char* bad :
         {"", "x", "10x", "x10", "10x10+", "10x10+5", "10x10+5+", "10x10+-5+5", "10x10 +0+0",
          "10x10+0+0 ", "a10x10", "10*10", "1e3x10", "10x10+0+0+0", "1234567890x10", "10x10+0x0"}) {
        EXPECT_FALSE(app::ParseGeometry(bad, error)) << bad;
    }
    EXPECT_EQ(
        app::ParseGeometry("0000000001x1+00000000002+0", error).value_or(app::Geometry{}).xOffset,
        2);
    EXPECT_FALSE(app::ParseGeometry("0x10+0+0", error));
    EXPECT_EQ(error, "bad geometry \"0x10+0+0\": the width and height must be at least 1 pixel");
}

TEST(Geometry, MustLieWithinTheScreen) {
    std::string error;
    const auto place = [&](const char* text) {
        const auto g = app::ParseGeometry(text, error);
        EXPECT_TRUE(g) << text;
        return app::PlaceOnScreen(*g, 1920, 1080, error);
    };
    const auto whole = place("1920x1080+0+0");
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->width, 1920);
    const auto corner = place("100x50-0-0");
    ASSERT_TRUE(corner);
    EXPECT_EQ(corner->x, 1820);
    EXPECT_EQ(corner->y, 1030);
    const auto fromRight = place("100x50-20+7");
    ASSERT_TRUE(fromRight);
    EXPECT_EQ(fromRight->x, 1800);
    EXPECT_EQ(fromRight->y, 7);

    // One pixel over each edge in turn.
    for (const char* outside :
         {"1921x1080+0+0", "1920x1081+0+0", "100x100+1821+0", "100x100+0+981", "100x100-1821+0",
          "100x100+0-981", "999999999x999999999+999999999+999999999"}) {
        EXPECT_FALSE(place(outside)) << outside;
    }
    EXPECT_FALSE(place("100x100+1821+0"));
    EXPECT_EQ(error, "the rectangle \"100x100+1821+0\" does not lie within the 1920x1080 screen");
}

TEST(Delay, AcceptsSecondsAndRefusesTheRest) {
    std::string error;
    EXPECT_EQ(app::ParseDelay("0", error), 0.0);
    EXPECT_EQ(app::ParseDelay("0.25", error), 0.25);
    EXPECT_EQ(app::ParseDelay("86400", error), 86400.0);
    for (const char* bad : {"", "-0.5", "2s", "nan", "inf", "1e9", "86400.5", " 1", "0x10", "+1"}) {
        EXPECT_FALSE(app::ParseDelay(bad, error)) << bad;
    }
}

}  // namespace

namespace {

TEST(CommandLine, FormatFollowsTheNameUnlessGiven) {
    using output::PictureFormat;
    const auto formatOf = [](std::vector<std::string> args) { return Parse(args)->capture.format; };
    EXPECT_EQ(formatOf({"--capture", "a.bmp"}), PictureFormat::Bitmap);
    EXPECT_EQ(formatOf({"--capture", "a.PnG"}), PictureFormat::Png);
    EXPECT_EQ(formatOf({"--capture", "png"}), PictureFormat::Bitmap);
    EXPECT_EQ(formatOf({"--capture", "a.png.bmp"}), PictureFormat::Bitmap);
    // The name's extension decides; --format only where it does not, and a
    // --format or an extension that would give a file the wrong content is
    // refused.
    struct Case {
        std::vector<std::string> args;
        std::optional<PictureFormat> format;  // empty: a usage error
    };
    const Case cases[] = {
        {{"a.jpg"}, PictureFormat::Jpeg},
        {{"dir.png/a.JPEG"}, PictureFormat::Jpeg},
        {{"a", "--format=jpeg"}, PictureFormat::Jpeg},
        {{"a.tar", "--format", "png"}, PictureFormat::Png},
        {{"a.png", "--format=png"}, PictureFormat::Png},
        {{"a.bmp", "--format", "png"}, std::nullopt},
        {{"a.png", "--format=bmp"}, std::nullopt},
        {{"a.jpg", "--format=bmp"}, std::nullopt},
        {{"a.webp"}, std::nullopt},
        {{"a.GIF", "--format", "png"}, std::nullopt},
        {{"a.tiff"}, std::nullopt},
        {{"a.png", "--quality", "50"}, std::nullopt},
        {{"a.jpg", "--quality", "101"}, std::nullopt},
        {{"--clipboard", "--format", "png"}, std::nullopt},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"--capture"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto parsed = Parse(args);
        EXPECT_EQ(parsed ? std::optional(parsed->capture.format) : std::nullopt, c.format)
            << testing::PrintToString(c.args) << ": " << ErrorOf(args);
    }
    EXPECT_EQ(ErrorOf({"--capture", "a.webp"}),
              "cannot write \"a.webp\": the name ends in .webp, a kind of picture this program "
              "does not write (it writes .bmp, .png, .jpg and .jpeg)");
    EXPECT_EQ(Parse({"--capture", "--quality=40", "a.jpg"})->capture.quality, 40);
    EXPECT_EQ(ErrorOf({"--capture", "--format", "gif", "a"}),
              "bad format \"gif\": expected bmp, png or jpeg");
    EXPECT_EQ(ErrorOf({"--capture", "a", "--format"}), "--format needs a value");
    EXPECT_EQ(ErrorOf({"--format", "png"}), "--format goes with --capture");
}

}  // namespace

namespace {

TEST(CommandLine, MonitorClipboardAndPointer) {
    const auto monitor = Parse({"--capture", "--monitor", "HDMI-1", "--pointer", "a.png"});
    ASSERT_TRUE(monitor);
    EXPECT_EQ(monitor->capture.area, CaptureArea::Monitor);
    EXPECT_EQ(monitor->capture.monitor, "HDMI-1");
    EXPECT_TRUE(monitor->capture.pointer);
    const auto clipboard = Parse({"--capture", "--clipboard"});
    ASSERT_TRUE(clipboard);
    EXPECT_TRUE(clipboard->capture.clipboard);
    EXPECT_EQ(clipboard->capture.file, "");
    EXPECT_EQ(ErrorOf({"--capture", "--monitor", "current", "--active", "a"}),
              "--active and --monitor cannot be used together");
    EXPECT_EQ(ErrorOf({"--capture", "--monitor", "--clipboard"}),
              "--monitor needs a value, not the option \"--clipboard\"");
}

}  // namespace
