#include "cli/command_line.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace app {
namespace {

// Numbers in a geometry: at most this many digits, which keeps every sum
// of them far inside 64 bits.
constexpr std::size_t kMaxGeometryDigits = 9;

std::string Quoted(std::string_view text) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely about
    // "literal" + std::string.
    std::string quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

// Reads the digits at `pos`; empty when there are none, or when there are
// more than kMaxGeometryDigits besides leading zeros: then `tooLarge` is
// those digits.
std::optional<std::int64_t> ReadNumber(std::string_view text, std::size_t& pos,
                                       std::string& tooLarge) {
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        ++pos;
    }
    const std::string_view digits = text.substr(start, pos - start);
    if (digits.empty()) {
        return std::nullopt;
    }
    if (digits.size() - std::min(digits.find_first_not_of('0'), digits.size()) >
        kMaxGeometryDigits) {
        tooLarge = std::string(digits);
        return std::nullopt;
    }
    std::int64_t value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

// The options that take a value.
bool TakesValue(std::string_view arg) {
    return arg == "--geometry" || arg == "--delay" || arg == "--hot-key" || arg == "--format" ||
           arg == "--quality" || arg == "--monitor";
}

// "-x" or "--xyz": an option rather than a value ("-1" is a number).
bool LooksLikeOption(std::string_view arg) {
    return arg.size() >= 2 && arg[0] == '-' &&
           (arg[1] == '-' || (arg[1] >= 'a' && arg[1] <= 'z') || (arg[1] >= 'A' && arg[1] <= 'Z'));
}

// --name VALUE or --name=VALUE. True when args[i] is the option; then
// `value` is its value (and i has moved past it), or `error` says it is
// missing.
bool TakeOption(const std::vector<std::string>& args, std::size_t& i, std::string_view name,
                std::string& value, std::string& error) {
    const std::string_view arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) {
            error = std::string(name) + " needs a value";
            return true;
        }
        value = args[++i];
        return true;
    }
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=') {
        value = std::string(arg.substr(name.size() + 1));
        return true;
    }
    return false;
}

bool IsOptionNamed(std::string_view arg, std::string_view name) {
    return arg == name || (arg.size() > name.size() && arg.substr(0, name.size()) == name &&
                           arg[name.size()] == '=');
}

enum class ToolkitArgument { NotOne, Alone, WithValue };

// Whether `arg` is one of the options the toolkit reads itself, with one
// dash or two: "-style fusion", "--style=fusion", "-reverse".
ToolkitArgument ToolkitOption(std::string_view arg) {
    if (arg.size() < 2 || arg[0] != '-') {
        return ToolkitArgument::NotOne;
    }
    std::string_view name = arg.substr(arg[1] == '-' ? 2 : 1);
    const std::size_t equals = name.find('=');
    const bool valueAttached = equals != std::string_view::npos;
    name = name.substr(0, equals);
    for (const std::string_view valued :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
          "qwindowicon", "qwindowtitle", "session", "display", "geometry", "style", "stylesheet",
          "name", "title", "visual", "qmljsdebugger"}) {
        if (name == valued) {
            return valueAttached ? ToolkitArgument::Alone : ToolkitArgument::WithValue;
        }
    }
    for (const std::string_view alone : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        if (name == alone && !valueAttached) {
            return ToolkitArgument::Alone;
        }
    }
    return ToolkitArgument::NotOne;
}

ParsedCommandLine Failure(std::string error) {
    return {std::nullopt, std::move(error)};
}

ParsedCommandLine ParseCapture(const std::vector<std::string>& args) {
    CommandLine result;
    result.action = Action::Capture;
    CaptureRequest& request = result.capture;
    bool geometryGiven = false;
    bool activeGiven = false;
    bool monitorGiven = false;
    bool qualityGiven = false;
    std::optional<output::PictureFormat> format;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
            continue;
        }
        std::string value;
        std::string error;
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--capture") {
            // Said once or more: the same.
        } else if (arg == "--active") {
            activeGiven = true;
        } else if (TakeOption(args, i, "--geometry", value, error)) {
            if (!error.empty()) {
                return Failure(error);
            }
            std::optional<Geometry> geometry = ParseGeometry(value, error);
            if (!geometry) {
                return Failure(error);
            }
            request.geometry = *geometry;
            geometryGiven = true;
        } else if (TakeOption(args, i, "--delay", value, error)) {
            if (!error.empty()) {
                return Failure(error);
            }
            std::optional<double> delay = ParseDelay(value, error);
            if (!delay) {
                return Failure(error);
            }
            request.delaySeconds = *delay;
        } else if (TakeOption(args, i, "--format", value, error)) {
            if (!error.empty()) {
                return Failure(error);
            }
            format = output::FormatNamed(value);
            if (!format) {
                return Failure("bad format " + Quoted(value) + ": expected bmp, png or jpeg");
            }
        } else if (TakeOption(args, i, "--quality", value, error)) {
            if (!error.empty()) {
                return Failure(error);
            }
            int quality = 0;
            const char* end = value.data() + value.size();
            const auto [stop, status] = std::from_chars(value.data(), end, quality);
            if (value.empty() || status != std::errc() || stop != end || quality < 1 ||
                quality > 100) {
                return Failure("bad quality " + Quoted(value) +
                               ": expected a number from 1 to 100");
            }
            request.quality = quality;
            qualityGiven = true;
        } else if (TakeOption(args, i, "--monitor", value, error)) {
            if (!error.empty()) {
                return Failure(error);
            }
            if (value.empty()) {
                return Failure("--monitor needs a monitor's name, or current");
            }
            request.monitor = value;
            monitorGiven = true;
        } else if (arg == "--clipboard") {
            request.clipboard = true;
        } else if (arg == "--pointer") {
            request.pointer = true;
        } else {
            return Failure("unknown option " + Quoted(arg) + " with --capture");
        }
    }
    if (static_cast<int>(geometryGiven) + static_cast<int>(activeGiven) +
            static_cast<int>(monitorGiven) >
        1) {
        return Failure(geometryGiven && activeGiven
                           ? "--geometry and --active cannot be used together"
                       : activeGiven ? "--active and --monitor cannot be used together"
                                     : "--geometry and --monitor cannot be used together");
    }
    request.area = geometryGiven  ? CaptureArea::Geometry
                   : activeGiven  ? CaptureArea::ActiveWindow
                   : monitorGiven ? CaptureArea::Monitor
                                  : CaptureArea::Screen;
    if (files.empty() && request.clipboard) {
        if (format || qualityGiven) {
            return Failure("--format and --quality are for the FILE, and no FILE was given");
        }
        return {result, {}};
    }
    if (files.empty()) {
        return Failure("--capture needs the FILE to write (or --clipboard)");
    }
    if (files.size() > 1) {
        return Failure("--capture writes one FILE, but " + std::to_string(files.size()) +
                       " were given (" + Quoted(files[0]) + ", " + Quoted(files[1]) +
                       (files.size() > 2 ? ", ..." : "") + ")");
    }
    if (files[0].empty()) {
        return Failure("the FILE name is empty");
    }
    request.file = files[0];
    request.standardOutput = request.file == "-";
    // The content always agrees with the name: an extension of a kind written
    // here decides the kind, and one of a kind not written here is refused.
    const std::optional<output::PictureFormat> named = output::FormatOfExtension(request.file);
    request.format = named.value_or(format.value_or(output::PictureFormat::Bitmap));
    if (std::string why = output::NameDisagreement(request.file, format.value_or(request.format));
        !why.empty()) {
        return Failure("cannot write " + Quoted(request.file) + ": " + why);
    }
    if (qualityGiven && request.format != output::PictureFormat::Jpeg) {
        return Failure("--quality is for JPEG files (.jpg, .jpeg or --format jpeg)");
    }
    return {result, {}};
}

// --hot-key NAME, alone: a press handed to the running window program.
ParsedCommandLine ParseHotKey(const std::vector<std::string>& args) {
    CommandLine result;
    result.action = Action::HotKey;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string value;
        std::string error;
        if (!TakeOption(args, i, "--hot-key", value, error)) {
            return Failure(Quoted(args[i]) + " cannot be used with --hot-key");
        }
        if (!error.empty()) {
            return Failure(error);
        }
        if (!result.hotKey.empty()) {
            return Failure("--hot-key takes one key");
        }
        if (value != "print" && value != "shift-print" && value != "ctrl-alt-shift-print") {
            return Failure("bad hot key " + Quoted(value) +
                           ": expected print, shift-print or ctrl-alt-shift-print");
        }
        result.hotKey = value;
    }
    return {result, {}};
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    bool capture = false;
    bool hotKey = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            break;
        }
        hotKey = hotKey || IsOptionNamed(arg, "--hot-key");
        if (TakesValue(arg) && i + 1 < args.size()) {
            // The value is never read as an option, and an option is never
            // taken for the value.
            if (LooksLikeOption(args[i + 1])) {
                return Failure(arg + " needs a value, not the option " + Quoted(args[i + 1]));
            }
            ++i;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            return {CommandLine{Action::ShowHelp, {}, {}}, {}};
        }
        if (arg == "--version") {
            return {CommandLine{Action::ShowVersion, {}, {}}, {}};
        }
        capture = capture || arg == "--capture";
    }
    if (hotKey) {
        return ParseHotKey(args);
    }
    if (capture) {
        return ParseCapture(args);
    }
    // The window: the toolkit's own options pass to it (--geometry there
    // places the main window); the options that mean nothing without a
    // capture, and anything else, are usage errors.
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        for (const std::string_view option : {"--active", "--delay", "--format", "--quality",
                                              "--monitor", "--clipboard", "--pointer"}) {
            if (IsOptionNamed(arg, option)) {
                return Failure(std::string(option) + " goes with --capture");
            }
        }
        switch (ToolkitOption(arg)) {
            case ToolkitArgument::WithValue:
                if (i + 1 >= args.size()) {
                    return Failure(arg + " needs a value");
                }
                ++i;
                continue;
            case ToolkitArgument::Alone:
                continue;
            case ToolkitArgument::NotOne:
                break;
        }
        return Failure(LooksLikeOption(arg) || arg == "--" ? "unknown option " + Quoted(arg)
                                                           : "unexpected argument " + Quoted(arg));
    }
    return {CommandLine{}, {}};
}

std::optional<Geometry> ParseGeometry(std::string_view text, std::string& error) {
    std::string tooLarge;
    const auto bad = [&](const std::string& why) -> std::optional<Geometry> {
        error = "bad geometry " + Quoted(text) + ": " +
                (tooLarge.empty() ? why : "the number " + tooLarge + " is too large");
        return std::nullopt;
    };
    const std::string form = "expected WxH+X+Y, such as 640x480+0+0";
    Geometry geometry;
    geometry.text = std::string(text);
    std::size_t pos = 0;
    if (pos < text.size() && text[pos] == '=') {
        ++pos;
    }
    const std::optional<std::int64_t> width = ReadNumber(text, pos, tooLarge);
    if (!width || pos >= text.size() || (text[pos] != 'x' && text[pos] != 'X')) {
        return bad(form);
    }
    ++pos;
    const std::optional<std::int64_t> height = ReadNumber(text, pos, tooLarge);
    if (!height) {
        return bad(form);
    }
    geometry.width = *width;
    geometry.height = *height;
    if (pos < text.size()) {
        const auto offset = [&](bool& fromEnd) -> std::optional<std::int64_t> {
            if (pos >= text.size() || (text[pos] != '+' && text[pos] != '-')) {
                return std::nullopt;
            }
            fromEnd = text[pos] == '-';
            ++pos;
            return ReadNumber(text, pos, tooLarge);
        };
        const std::optional<std::int64_t> x = offset(geometry.xFromRight);
        const std::optional<std::int64_t> y = x ? offset(geometry.yFromBottom) : std::nullopt;
        if (!x || !y || pos != text.size()) {
            return bad(form);
        }
        geometry.xOffset = *x;
        geometry.yOffset = *y;
    }
    if (geometry.width < 1 || geometry.height < 1) {
        return bad("the width and height must be at least 1 pixel");
    }
    return geometry;
}

std::optional<double> ParseDelay(std::string_view text, std::string& error) {
    double seconds = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, seconds);
    if (text.empty() || status != std::errc() || stop != end || !std::isfinite(seconds) ||
        seconds < 0 || seconds > kMaxDelaySeconds) {
        error = "bad delay " + Quoted(text) + ": expected a number of seconds from 0 to " +
                std::to_string(static_cast<int>(kMaxDelaySeconds));
        return std::nullopt;
    }
    return seconds;
}

std::optional<ScreenRectangle> PlaceOnScreen(const Geometry& geometry, std::int64_t screenWidth,
                                             std::int64_t screenHeight, std::string& error) {
    ScreenRectangle rect;
    rect.width = geometry.width;
    rect.height = geometry.height;
    rect.x =
        geometry.xFromRight ? screenWidth - geometry.xOffset - geometry.width : geometry.xOffset;
    rect.y =
        geometry.yFromBottom ? screenHeight - geometry.yOffset - geometry.height : geometry.yOffset;
    if (rect.x < 0 || rect.y < 0 || rect.x + rect.width > screenWidth ||
        rect.y + rect.height > screenHeight) {
        error = "the rectangle " + Quoted(geometry.text) + " does not lie within the " +
                std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + " screen";
        return std::nullopt;
    }
    return rect;
}

std::string UsageText() {
    return "Usage: tessarine [--version] [--help]\n"
           "       tessarine --capture [--geometry WxH+X+Y | --active |\n"
           "                            --monitor NAME|current] [--delay SECONDS]\n"
           "                           [--pointer] [--clipboard]\n"
           "                           [--format bmp|png|jpeg] [--quality N] [FILE | -]\n"
           "       tessarine --hot-key print|shift-print|ctrl-alt-shift-print\n"
           "\n"
           "Captures the screen, the foreground window or a dragged rectangle, shows it\n"
           "and saves it as a bitmap, PNG or JPEG. Print Screen captures the screen and\n"
           "Shift+Print Screen the foreground window while the program runs.\n"
           "\n"
           "With --capture, no window opens: the capture is written to FILE as a Windows\n"
           "bitmap (.bmp, 24-bit colour), exactly as Save writes one, as a PNG when\n"
           "FILE ends in .png, or as a JPEG when it ends in .jpg or .jpeg, and the\n"
           "program ends. FILE may hold strftime fields (%Y-%m-%d_%H%M%S, %F, %T) and\n"
           "$w, $h for the size, as in '~/Pictures/%F_%T_$wx$h.png'; such a name never\n"
           "replaces a file (_1, _2 ... are added) and is printed on standard output.\n"
           "FILE - writes the picture to standard output instead, for a pipe (a bitmap\n"
           "unless --format says otherwise); ./- names a file called -.\n"
           "  --capture            capture the whole screen\n"
           "  --geometry WxH+X+Y   only this rectangle of the screen, W x H pixels with its\n"
           "                       top left corner at (X, Y); -X or -Y measure from the\n"
           "                       right or bottom edge. It must lie within the screen.\n"
           "  --active             the window in front, with its frame and title bar\n"
           "  --monitor NAME|current  only that RandR monitor, or the one under the pointer\n"
           "  --pointer            draw the mouse pointer into the capture\n"
           "  --clipboard          put the capture on the clipboard (image/png), instead of\n"
           "                       or besides FILE; a background process serves it until\n"
           "                       something else is copied\n"
           "  --delay SECONDS      wait this long first (fractions allowed)\n"
           "  --format bmp|png|jpeg  the format of a FILE whose name has no .bmp, .png,\n"
           "                       .jpg or .jpeg extension (those decide it themselves)\n"
           "  --quality N          the JPEG quality, 1 to 100 (90)\n"
           "  --                   ends the options, for a FILE that starts with '-'\n"
           "\n"
           "Exit status: 0 when the file was written, 1 when the capture or the write\n"
           "failed (no display, no window in front, a file that cannot be written), 2 for\n"
           "a command line that cannot be used (a --geometry off the screen too). Errors\n"
           "go to standard error; an existing FILE is replaced only by a complete new one.\n"
           "\n"
           "With --hot-key, the press of Print Screen, Shift+Print Screen or\n"
           "Ctrl+Alt+Shift+Print Screen is handed to the running window program, as if\n"
           "the key had been pressed: for a desktop's own keyboard shortcut settings.\n"
           "Exit status 0 when the window program took it, 1 when none is running.\n"
           "\n"
           "Without --capture, Qt's own options pass to the toolkit (-display, -platform,\n"
           "-style, -geometry places the main window, ...); any other option is a usage\n"
           "error.\n"
           "\n"
           "  --help, -h           show this text\n"
           "  --version            show the version\n";
}

std::string VersionText() {
    char line[160];
    std::snprintf(line, sizeof line, "Tessarine %s (Lumograph, file and product version %s)\n",
                  TESSARINE_VERSION, TESSARINE_FILE_VERSION);
    return line;
}

}  // namespace app
