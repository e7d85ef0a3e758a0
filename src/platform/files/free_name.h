#pragma once
// The first free name among "shot.png", "shot_1.png", "shot_2.png", ...:
// what a save that must never replace a file is given. Nothing here needs
// Qt.

#include <functional>
#include <optional>
#include <string>

namespace platform::files {

// Makes a name in the folder, or fails with errno set: EEXIST when the name
// is taken.
using NameClaim = std::function<bool(const std::string& name)>;

// Gives `claim` `name`, then the names with "_1", "_2", ... before its
// extension, until one is not taken, and returns that one; empty with the
// reason in `error` when none can be made.
std::optional<std::string> ClaimFreeName(const std::string& name, const NameClaim& claim,
                                         std::string& error);

}  // namespace platform::files
