#include "platform/hot_key_command.h"

#include <unistd.h>

#include <array>
#include <climits>
#include <filesystem>

namespace platform {
namespace {

constexpr Key kPrint = 0x2C;

struct NamedCombination {
    const char* name;
    bool shift;
    bool controlAndAlt;
};

constexpr std::array<NamedCombination, 3> kNames = {{
    {"print", false, false},
    {"shift-print", true, false},
    {"ctrl-alt-shift-print", true, true},
}};

std::string QuotedForShell(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

}  // namespace

std::string HotKeyCommandName(const KeyCombination& keys) {
    if (keys.key != kPrint || keys.super) {
        return {};
    }
    for (const NamedCombination& named : kNames) {
        if (keys.shift == named.shift && keys.control == named.controlAndAlt &&
            keys.alt == named.controlAndAlt) {
            return named.name;
        }
    }
    return {};
}

std::optional<KeyCombination> HotKeyCommandKeys(std::string_view name) {
    for (const NamedCombination& named : kNames) {
        if (name == named.name) {
            KeyCombination keys;
            keys.key = kPrint;
            keys.shift = named.shift;
            keys.control = named.controlAndAlt;
            keys.alt = named.controlAndAlt;
            return keys;
        }
    }
    return std::nullopt;
}

std::string CommandProgram() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    std::array<fs::path, 3> candidates;
    if (!error) {
        // The build tree keeps the programs in one folder; an installation
        // keeps this one in libexec, found relative to it first so that an
        // installation under another prefix works too.
        candidates[0] = self.parent_path() / "tessarine";
        candidates[1] =
            (self.parent_path() / TESSARINE_BIN_FROM_HELPERS / "tessarine").lexically_normal();
    }
    candidates[2] = TESSARINE_COMMAND_PROGRAM;
    for (const fs::path& candidate : candidates) {
        if (!candidate.empty() && candidate.is_absolute() && candidate != self &&
            fs::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return {};
}

std::string HotKeyCommandLine(const KeyCombination& keys) {
    const std::string name = HotKeyCommandName(keys);
    const std::string program = name.empty() ? std::string() : CommandProgram();
    if (program.empty()) {
        return {};
    }
    return QuotedForShell(program) + " --hot-key " + name;
}

}  // namespace platform
