#include "platform/wayland/sway_key_bindings.h"

#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wordexp.h>

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "base/unique_fd.h"
#include "platform/hot_key_command.h"
#include "platform/text/printable.h"
#include "platform/wayland/hot_key_bus.h"
#include "platform/wayland/sway_ipc.h"

namespace platform::sway {
namespace {

constexpr int kMaxIncludeDepth = 4;
constexpr off_t kMaxConfigBytes = 1 << 20;
// sway replaces a binding of the same keys and flags without a word, and
// unbindsym removes whichever is there. --inhibited sets ours apart from
// the user's usual ones: neither replaces nor removes the other, and of two
// that match a press, sway runs the one it was given first. (It also makes
// ours work while a window inhibits the desktop's shortcuts.)
constexpr const char* kOurFlags = "--inhibited --no-repeat ";
// Print on an evdev keyboard, as bindcode names it.
constexpr int kPrintKeycode = 107;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    std::istringstream stream{std::string(line)};
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

std::string JoinFrom(const std::vector<std::string>& words, std::size_t from) {
    std::string joined;
    for (std::size_t i = from; i < words.size(); ++i) {
        joined += (i == from ? "" : " ") + words[i];
    }
    return joined;
}

struct Parser {
    const KeyCombination& keys;
    const ConfigReader& read;
    std::map<std::string, std::string> variables;

    std::string Expand(std::string text) const {
        // Longest names first: $mod must not cut $modifier short.
        for (auto it = variables.rbegin(); it != variables.rend(); ++it) {
            for (std::size_t at; (at = text.find(it->first)) != std::string::npos;) {
                text.replace(at, it->first.size(), it->second);
            }
        }
        return text;
    }

    // "Mod4+Shift+Print" (bindsym) or "Mod1+107" (bindcode), as sway reads
    // them: modifiers in any order and any case, before or after the key.
    bool Matches(const std::string& combination, bool byCode) const {
        KeyCombination found;
        int keysNamed = 0;
        bool print = false;
        std::istringstream parts(Expand(combination));
        for (std::string piece; std::getline(parts, piece, '+');) {
            piece = Lower(piece);
            if (piece == "shift") {
                found.shift = true;
            } else if (piece == "ctrl" || piece == "control") {
                found.control = true;
            } else if (piece == "mod1" || piece == "alt") {
                found.alt = true;
            } else if (piece == "mod4" || piece == "super") {
                found.super = true;
            } else if (piece == "mod2" || piece == "mod3" || piece == "mod5" || piece == "lock") {
                return false;                           // another combination, never ours
            } else if (piece.rfind("group", 0) != 0) {  // a layout's binding counts too
                ++keysNamed;
                print = piece == "print" || (byCode && piece == std::to_string(kPrintKeycode));
            }
        }
        return keysNamed == 1 && print && found.shift == keys.shift &&
               found.control == keys.control && found.alt == keys.alt && found.super == keys.super;
    }

    // The words after bindsym/bindcode: flags, then the combination.
    bool BindingMatches(const std::vector<std::string>& words, std::size_t from,
                        bool byCode) const {
        while (from < words.size() && words[from].rfind("--", 0) == 0) {
            ++from;
        }
        return from < words.size() && Matches(words[from], byCode);
    }

    // `directory` is the folder of the file the text is from: sway reads a
    // relative include from there.
    bool Binds(std::string_view config, const std::string& directory, int depth) {
        // "mode" (another mode), "bindsym", "bindcode" or "other"
        std::vector<std::string> blocks;
        std::string line;
        std::istringstream stream{std::string(config)};
        for (std::string raw; std::getline(stream, raw);) {
            if (!raw.empty() && raw.back() == '\\') {
                raw.pop_back();
                line += raw;
                continue;
            }
            line += raw;
            const std::vector<std::string> words = Words(line);
            line.clear();
            if (words.empty() || words[0][0] == '#') {
                continue;
            }
            if (words[0] == "}") {
                if (!blocks.empty()) {
                    blocks.pop_back();
                }
                continue;
            }
            const bool inMode = std::find(blocks.begin(), blocks.end(), "mode") != blocks.end();
            if (!blocks.empty() && (blocks.back() == "bindsym" || blocks.back() == "bindcode")) {
                if (!inMode && BindingMatches(words, 0, blocks.back() == "bindcode")) {
                    return true;
                }
                continue;
            }
            if (words.back() == "{") {
                std::string kind = "other";
                if (words[0] == "bindsym" || words[0] == "bindcode") {
                    kind = words[0];
                } else if (words[0] == "mode" && words.size() >= 3 &&
                           Expand(words[words.size() - 2]) != "default" &&
                           Expand(words[words.size() - 2]) != "\"default\"") {
                    kind = "mode";
                }
                blocks.push_back(kind);
                continue;
            }
            if (inMode) {
                continue;
            }
            if (words[0] == "set" && words.size() >= 3 && words[1][0] == '$') {
                variables[words[1]] = Expand(JoinFrom(words, 2));
            } else if ((words[0] == "bindsym" || words[0] == "bindcode") &&
                       BindingMatches(words, 1, words[0] == "bindcode")) {
                return true;
            } else if (words[0] == "include" && words.size() >= 2 && depth < kMaxIncludeDepth) {
                std::string pattern = Expand(JoinFrom(words, 1));
                if (!pattern.empty() &&
                    std::string_view("/~$").find(pattern[0]) == std::string_view::npos) {
                    pattern = directory + "/" + pattern;
                }
                const std::size_t slash = pattern.rfind('/');
                const std::string folder =
                    slash == std::string::npos ? directory : pattern.substr(0, slash);
                if (Binds(read(pattern), folder, depth + 1)) {
                    return true;
                }
            }
        }
        return false;
    }
};

}  // namespace

std::string ReadIncluded(const std::string& pattern) {
    std::string text;
    wordexp_t words{};
    if (const int failed = ::wordexp(pattern.c_str(), &words, WRDE_NOCMD); failed != 0) {
        if (failed == WRDE_NOSPACE) {
            ::wordfree(&words);
        }
        return text;
    }
    for (std::size_t w = 0; w < words.we_wordc; ++w) {
        glob_t found{};
        if (::glob(words.we_wordv[w], GLOB_NOSORT, nullptr, &found) != 0) {
            ::globfree(&found);
            continue;
        }
        for (std::size_t i = 0; i < found.gl_pathc; ++i) {
            const base::UniqueFd fd(::open(found.gl_pathv[i], O_RDONLY | O_NONBLOCK | O_CLOEXEC));
            struct stat status {};
            if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
                status.st_size > kMaxConfigBytes) {
                continue;
            }
            std::string content(static_cast<std::size_t>(status.st_size), '\0');
            const ssize_t n = ::read(fd.get(), content.data(), content.size());
            if (n > 0) {
                content.resize(static_cast<std::size_t>(n));
                text += content + "\n";
            }
        }
        ::globfree(&found);
    }
    ::wordfree(&words);
    return text;
}

namespace {

// The folder of the configuration file sway read: the one its command line
// names (-c), else the first of those it looks for that exists.
std::string MainConfigFolder() {
    const char* socket = std::getenv("SWAYSOCK");
    // sway's socket is named sway-ipc.UID.PID.sock.
    std::string name = socket ? socket : "";
    name = name.substr(name.rfind('/') + 1);
    unsigned uid = 0;
    unsigned pid = 0;
    if (std::sscanf(name.c_str(), "sway-ipc.%u.%u.sock", &uid, &pid) == 2) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
        std::vector<std::string> args;
        for (std::string arg; std::getline(in, arg, '\0');) {
            args.push_back(arg);
        }
        for (std::size_t i = 1; i < args.size(); ++i) {
            std::string path;
            if ((args[i] == "-c" || args[i] == "--config") && i + 1 < args.size()) {
                path = args[i + 1];
            } else if (args[i].rfind("--config=", 0) == 0) {
                path = args[i].substr(9);
            }
            if (!path.empty()) {
                const std::size_t slash = path.rfind('/');
                return slash == std::string::npos ? "." : path.substr(0, slash);
            }
        }
    }
    const char* home = std::getenv("HOME");
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string homeFolder = home ? home : "";
    const std::string configHome = xdg && *xdg ? xdg : homeFolder + "/.config";
    for (const std::string& folder :
         {homeFolder + "/.sway", configHome + "/sway", homeFolder + "/.i3", configHome + "/i3",
          std::string("/etc/sway"), std::string("/etc/i3")}) {
        if (::access((folder + "/config").c_str(), R_OK) == 0) {
            return folder;
        }
    }
    return "/etc/sway";
}

bool ConfigurationBinds(const KeyCombination& keys) {
    const QJsonDocument answer = Ask(kGetConfig, {});
    const std::string config = answer.object().value("config").toString().toStdString();
    return ConfigBinds(config, MainConfigFolder(), keys, &ReadIncluded);
}

class SwayBinding : public KeyGrab {
  public:
    SwayBinding(KeyCombination keys, std::string combination)
        : keys_(keys), combination_(std::move(combination)) {}
    ~SwayBinding() override {
        // A reload since drops ours and may bring back one of the
        // configuration's with our flags: that one stays.
        if (!ConfigurationBinds(keys_)) {
            RunCommand("unbindsym " + std::string(kOurFlags) + combination_);
        }
    }
    ClaimResult State() const override { return ClaimResult::Claimed; }
    std::string commandBoundBy() const override { return "sway"; }

  private:
    KeyCombination keys_;
    std::string combination_;
};

ClaimOutcome Refused(std::string note) {
    ClaimOutcome outcome{ClaimResult::Refused, nullptr, std::move(note)};
    return outcome;
}

// Binds the combination to its command, for this program, which takes the
// presses handed over.
ClaimOutcome Bind(const KeyCombination& keys) {
    const std::string command = HotKeyCommandLine(keys);
    if (command.empty()) {
        return Refused("the tessarine command for sway to run cannot be found");
    }
    if (std::string refusal = ProgramPathRefusal(CommandProgram()); !refusal.empty()) {
        return Refused(refusal);
    }
    if (ConfigurationBinds(keys)) {
        return {ClaimResult::HeldByAnother, nullptr, "sway's configuration binds it"};
    }
    if (!Failure().empty()) {
        return Refused(Failure());
    }
    const std::string combination = SwayCombination(keys);
    if (std::string error =
            RunCommand("bindsym " + std::string(kOurFlags) + combination + " exec " + command);
        !error.empty()) {
        return Refused(error);
    }
    return {ClaimResult::Claimed, std::make_unique<SwayBinding>(keys, combination), {}};
}

// The binding of a window program queued behind another for the presses:
// the other's bindings hand them over while it runs, and go when it closes;
// the presses then come here, and this one binds the keys itself.
class WaitingBinding : public KeyGrab {
  public:
    explicit WaitingBinding(const KeyCombination& keys) {
        listener_ = WhenHotKeyCommandsComeHere([this, keys] {
            ClaimOutcome outcome = Bind(keys);
            state_ = outcome.result;
            binding_ = std::move(outcome.grab);
        });
    }
    ClaimResult State() const override { return state_; }
    std::string commandBoundBy() const override {
        return binding_ ? binding_->commandBoundBy() : std::string();
    }

  private:
    ClaimResult state_ = ClaimResult::HeldByAnother;
    std::unique_ptr<KeyGrab> binding_;
    std::unique_ptr<HotKeyListener> listener_;  // first to go
};

}  // namespace

bool ConfigBinds(std::string_view config, const std::string& folder, const KeyCombination& keys,
                 const ConfigReader& read) {
    Parser parser{keys, read, {}};
    return parser.Binds(config, folder, 0);
}

std::string ProgramPathRefusal(const std::string& program) {
    // sway drops the quotes around a word before its exec hands the rest to
    // the shell, so a quoted path would come apart there: a path that needs
    // no quoting is the only one both keep whole.
    const bool plain = std::all_of(program.begin(), program.end(), [](unsigned char c) {
        return std::isalnum(c) ||
               std::string_view("/._+-").find(static_cast<char>(c)) != std::string_view::npos;
    });
    if (plain) {
        return {};
    }
    return "the tessarine command's path, \"" + Printable(program) +
           "\", holds characters sway or the shell would split or read as their own (only "
           "letters, digits and / . _ + - are kept whole), so sway cannot run it";
}

std::string SwayCombination(const KeyCombination& keys) {
    if (keys.key != 0x2C) {
        return {};
    }
    std::string combination;
    if (keys.control) {
        combination += "Ctrl+";
    }
    if (keys.alt) {
        combination += "Mod1+";
    }
    if (keys.shift) {
        combination += "Shift+";
    }
    if (keys.super) {
        combination += "Mod4+";
    }
    return combination + "Print";
}

ClaimOutcome BindHotKey(const KeyCombination& keys) {
    if (SwayCombination(keys).empty() || HotKeyCommandName(keys).empty()) {
        return Refused(
            "sway's bindings run tessarine --hot-key, which takes Print, Shift+Print "
            "and Ctrl+Alt+Shift+Print only");
    }
    std::string why;
    if (HotKeyCommandsReachThisProgram(&why)) {
        return Bind(keys);
    }
    // Held (reported as such) until the other window closes.
    if (why.find("another Tessarine") != std::string::npos) {
        return {ClaimResult::Claimed, std::make_unique<WaitingBinding>(keys), why};
    }
    return Refused(why);
}

}  // namespace platform::sway
