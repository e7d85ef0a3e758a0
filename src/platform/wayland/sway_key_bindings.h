#pragma once
// The hot keys in a sway session: sway binds keys to commands, so each
// combination is bound, through its IPC, to `tessarine --hot-key NAME`
// while the window program runs, and unbound when it closes. A binding a
// killed run left behind is the same command, replaced by the next run's
// and removed when that one closes.

#include <functional>
#include <string>
#include <string_view>

#include "platform/backend.h"

namespace platform::sway {

// Reads a file a configuration includes; empty when it cannot be read.
using ConfigReader = std::function<std::string(const std::string& path)>;

// Whether the configuration text binds `keys` in its default mode
// (bindsym or bindcode, at the top level or in a binding block), following
// `set` variables and the files `include` names.
bool ConfigBinds(std::string_view config, const KeyCombination& keys, const ConfigReader& read);

// The combination in sway's notation: "Ctrl+Mod1+Shift+Print"; empty for a
// key it has no name for here.
std::string SwayCombination(const KeyCombination& keys);

// Binds the combination to its command. HeldByAnother when sway's
// configuration binds it already, or another window program takes the
// presses; Refused with a note when sway cannot be asked or refuses.
ClaimOutcome BindHotKey(const KeyCombination& keys);

}  // namespace platform::sway
