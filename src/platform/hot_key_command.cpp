#include "platform/hot_key_command.h"

#include <array>

#include "base/sibling_program.h"

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
    // The build tree keeps the programs in one folder; an installation keeps
    // this one in libexec.
    return base::SiblingProgram("tessarine", TESSARINE_BIN_FROM_HELPERS, TESSARINE_COMMAND_PROGRAM);
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
