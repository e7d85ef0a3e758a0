#include "platform/wayland/sway_key_bindings.h"

#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>
#include <vector>

#include "base/unique_fd.h"
#include "platform/hot_key_command.h"
#include "platform/wayland/hot_key_bus.h"
#include "platform/wayland/sway_ipc.h"

namespace platform::sway {
namespace {

constexpr int kMaxIncludeDepth = 4;
constexpr off_t kMaxConfigBytes = 1 << 20;
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

    // "Mod4+Shift+Print" (bindsym) or "Mod1+107" (bindcode).
    bool Matches(const std::string& combination, bool byCode) const {
        KeyCombination found;
        std::string key;
        std::istringstream parts(Expand(combination));
        std::vector<std::string> pieces;
        for (std::string piece; std::getline(parts, piece, '+');) {
            pieces.push_back(Lower(piece));
        }
        if (pieces.empty()) {
            return false;
        }
        key = pieces.back();
        pieces.pop_back();
        for (const std::string& modifier : pieces) {
            if (modifier == "shift") {
                found.shift = true;
            } else if (modifier == "ctrl" || modifier == "control") {
                found.control = true;
            } else if (modifier == "mod1" || modifier == "alt") {
                found.alt = true;
            } else if (modifier == "mod4" || modifier == "super") {
                found.super = true;
            } else {
                return false;  // Mod2, Mod3, Mod5, Lock: never ours
            }
        }
        const bool keyMatches = byCode ? key == std::to_string(kPrintKeycode)
                                       : key == Lower(SwayCombination(KeyCombination{keys.key}));
        return keyMatches && found.shift == keys.shift && found.control == keys.control &&
               found.alt == keys.alt && found.super == keys.super;
    }

    // The words after bindsym/bindcode: flags, then the combination.
    bool BindingMatches(const std::vector<std::string>& words, std::size_t from,
                        bool byCode) const {
        while (from < words.size() && words[from].rfind("--", 0) == 0) {
            ++from;
        }
        return from < words.size() && Matches(words[from], byCode);
    }

    bool Binds(std::string_view config, int depth) {
        std::vector<std::string> blocks;  // "mode", "bindsym", "bindcode", "other"
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
                if (!inMode && Matches(words[0], blocks.back() == "bindcode")) {
                    return true;
                }
                continue;
            }
            if (words.back() == "{") {
                const bool named =
                    words[0] == "mode" || words[0] == "bindsym" || words[0] == "bindcode";
                blocks.push_back(named ? words[0] : "other");
                continue;
            }
            if (inMode) {
                continue;
            }
            if (words[0] == "set" && words.size() >= 3 && words[1][0] == '$') {
                std::string value = words[2];
                for (std::size_t i = 3; i < words.size(); ++i) {
                    value += " " + words[i];
                }
                variables[words[1]] = Expand(value);
            } else if ((words[0] == "bindsym" || words[0] == "bindcode") &&
                       BindingMatches(words, 1, words[0] == "bindcode")) {
                return true;
            } else if (words[0] == "include" && words.size() >= 2 && depth < kMaxIncludeDepth) {
                if (Binds(read(Expand(words[1])), depth + 1)) {
                    return true;
                }
            }
        }
        return false;
    }
};

// The files an include names (a glob; ~ is the home folder), read with
// care: regular files of a sane size, never a FIFO or a device.
std::string ReadIncluded(const std::string& pattern) {
    std::string text;
    glob_t found{};
    if (::glob(pattern.c_str(), GLOB_TILDE | GLOB_NOSORT, nullptr, &found) == 0) {
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
    }
    ::globfree(&found);
    return text;
}

// The command sway runs; a path sway's command parser would split or
// reinterpret is refused rather than quoted.
bool SafeForSway(const std::string& command) {
    return std::all_of(command.begin(), command.end(), [](unsigned char c) {
        return std::isalnum(c) ||
               std::string_view("/._+-' ").find(static_cast<char>(c)) != std::string_view::npos;
    });
}

bool ConfigurationBinds(const KeyCombination& keys) {
    const QJsonDocument answer = Ask(kGetConfig, {});
    const std::string config = answer.object().value("config").toString().toStdString();
    return ConfigBinds(config, keys, &ReadIncluded);
}

class SwayBinding : public KeyGrab {
  public:
    SwayBinding(KeyCombination keys, std::string combination)
        : keys_(keys), combination_(std::move(combination)) {}
    ~SwayBinding() override {
        // A reload since may have put the configuration's own binding back:
        // that one stays.
        if (!ConfigurationBinds(keys_)) {
            RunCommand("unbindsym --no-repeat " + combination_);
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

}  // namespace

bool ConfigBinds(std::string_view config, const KeyCombination& keys, const ConfigReader& read) {
    Parser parser{keys, read, {}};
    return parser.Binds(config, 0);
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
    const std::string combination = SwayCombination(keys);
    const std::string command = HotKeyCommandLine(keys);
    if (combination.empty() || HotKeyCommandName(keys).empty()) {
        return Refused(
            "sway's bindings run tessarine --hot-key, which takes Print, Shift+Print "
            "and Ctrl+Alt+Shift+Print only");
    }
    std::string why;
    if (!HotKeyCommandsReachThisProgram(&why)) {
        ClaimOutcome outcome{ClaimResult::Refused, nullptr, why};
        if (why.find("another Tessarine") != std::string::npos) {
            outcome.result = ClaimResult::HeldByAnother;
        }
        return outcome;
    }
    if (command.empty()) {
        return Refused("the tessarine command for sway to run cannot be found");
    }
    if (!SafeForSway(command)) {
        return Refused("the tessarine command's path has characters sway's commands cannot carry");
    }
    if (ConfigurationBinds(keys)) {
        return {ClaimResult::HeldByAnother, nullptr, "sway's configuration binds it"};
    }
    if (!Failure().empty()) {
        return Refused(Failure());
    }
    if (std::string error = RunCommand("bindsym --no-repeat " + combination + " exec " + command);
        !error.empty()) {
        return Refused(error);
    }
    return {ClaimResult::Claimed, std::make_unique<SwayBinding>(keys, combination), {}};
}

}  // namespace platform::sway
