#pragma once
// The hot keys in a sway session: sway binds keys to commands, so each
// combination is bound, through its IPC, to `tessarine --hot-key NAME`
// while the window program runs, and unbound when it closes. A binding a
// killed run left behind is the same command, replaced by the next run's
// and removed when that one closes. Ours is made so that it can never
// replace or remove one of the user's, which sway does not list: one the
// configuration shows leaves the combination to it, and one made at run
// time, which nothing shows, keeps working beside ours.

#include <functional>
#include <string>
#include <string_view>

#include "platform/backend.h"

namespace platform::sway {

// The text of the files an include names (a pattern, relative ones already
// made absolute); empty when none can be read.
using ConfigReader = std::function<std::string(const std::string& pattern)>;

// The files an include pattern names, expanded as sway expands it ($HOME,
// ~, globs; never a command), read with care: regular files of a sane
// size, never a FIFO or a device.
std::string ReadIncluded(const std::string& pattern);

// Whether the configuration text binds `keys` in its default mode
// (bindsym or bindcode with any flags, at the top level or in a binding
// block), following `set` variables and the files `include` names;
// `folder` holds the configuration file, where relative includes are.
bool ConfigBinds(std::string_view config, const std::string& folder, const KeyCombination& keys,
                 const ConfigReader& read);

// Why sway cannot be given the command at `program` (a path its command
// parser or the shell would split or interpret); empty when it can.
std::string ProgramPathRefusal(const std::string& program);

// The combination in sway's notation: "Ctrl+Mod1+Shift+Print"; empty for a
// key it has no name for here.
std::string SwayCombination(const KeyCombination& keys);

// Binds the combination to its command. HeldByAnother when sway's
// configuration binds it already; Refused with a note when sway cannot be
// asked or refuses. While another window program takes the presses, a grab
// held by it (HeldByAnother) that binds the keys once it closes.
ClaimOutcome BindHotKey(const KeyCombination& keys);

}  // namespace platform::sway
