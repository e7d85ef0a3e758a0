#pragma once
// The command a desktop's own key binding runs to hand a hot key to the
// running window program: `tessarine --hot-key NAME`. Desktops that let no
// program hold keys still bind keys to commands.

#include <optional>
#include <string>
#include <string_view>

#include "platform/backend.h"

namespace platform {

// "print", "shift-print" or "ctrl-alt-shift-print"; empty for combinations
// no command names.
std::string HotKeyCommandName(const KeyCombination& keys);

// The combination a name stands for; empty for an unknown name.
std::optional<KeyCombination> HotKeyCommandKeys(std::string_view name);

// The `tessarine` command of this installation (or build tree), as an
// absolute path; empty when it cannot be found.
std::string CommandProgram();

// The command line to bind, quoted for a shell:
// '/usr/bin/tessarine' --hot-key print. Empty when the combination has no
// name or the command cannot be found.
std::string HotKeyCommandLine(const KeyCombination& keys);

}  // namespace platform
