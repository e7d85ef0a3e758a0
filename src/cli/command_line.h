#pragma once
// The command line: what to do, read from the arguments without touching
// the display. Everything here is a pure function of its inputs.
//
//   tessarine [--version] [--help]
//   tessarine --capture [--geometry WxH+X+Y | --active | --monitor NAME|current]
//                       [--delay SECONDS] [--pointer] [--clipboard]
//                       [--format bmp|png|jpeg] [--quality N] [FILE | -]
//   tessarine --hot-key print|shift-print|ctrl-alt-shift-print

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/picture_format.h"

namespace app {

// A rectangle of the screen in pixels.
struct ScreenRectangle {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// An X geometry string, WxH+X+Y. As in the X conventions, a minus sign
// before an offset measures it from the right or bottom edge of the screen
// to the right or bottom edge of the rectangle ("-0-0" is the lower right
// corner); the offsets may be left out, which means +0+0.
struct Geometry {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t xOffset = 0;
    std::int64_t yOffset = 0;
    bool xFromRight = false;
    bool yFromBottom = false;
    // As the user wrote it, for messages.
    std::string text;
};

enum class CaptureArea { Screen, Geometry, ActiveWindow, Monitor };

struct CaptureRequest {
    CaptureArea area = CaptureArea::Screen;
    Geometry geometry;  // for CaptureArea::Geometry
    double delaySeconds = 0;
    std::string monitor;  // for CaptureArea::Monitor: a monitor's name, or "current"
    // Where the picture goes; empty with --clipboard alone. A name with
    // strftime fields or $w, $h is a template, filled in once the picture
    // is taken.
    std::string file;
    // FILE "-": the picture goes to standard output ("./-" names a file).
    bool standardOutput = false;
    // The FILE name's extension (.bmp, .png, .jpg, .jpeg), or else --format,
    // or else bitmap.
    output::PictureFormat format = output::PictureFormat::Bitmap;
    int quality = output::kDefaultJpegQuality;  // --quality, for JPEG
    bool clipboard = false;                     // --clipboard
    bool pointer = false;                       // --pointer
};

enum class Action { RunProgram, ShowHelp, ShowVersion, Capture, HotKey };

struct CommandLine {
    Action action = Action::RunProgram;
    CaptureRequest capture;  // for Action::Capture
    std::string hotKey;      // for Action::HotKey: "print", "shift-print", ...
};

// A command line, or why it cannot be used (a usage error).
struct ParsedCommandLine {
    std::optional<CommandLine> commandLine;
    std::string error;
};

// The longest --delay accepted: a day.
inline constexpr double kMaxDelaySeconds = 86400;

// `args` are the arguments after the program name. --help (-h) and
// --version answer at once, whatever else is there. Without --capture,
// arguments this program does not know are left for the user-interface
// toolkit; with it, every argument must be one of the capture's.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// A geometry string, or empty with the reason in `error`.
std::optional<Geometry> ParseGeometry(std::string_view text, std::string& error);

// A non-negative number of seconds (decimal, fractions allowed), or empty
// with the reason in `error`.
std::optional<double> ParseDelay(std::string_view text, std::string& error);

// Where `geometry` lies on a screen of the given size, or empty with the
// reason in `error` when any part of it is off the screen.
std::optional<ScreenRectangle> PlaceOnScreen(const Geometry& geometry, std::int64_t screenWidth,
                                             std::int64_t screenHeight, std::string& error);

// The usage text for --help, and the line for --version.
std::string UsageText();
std::string VersionText();

}  // namespace app
