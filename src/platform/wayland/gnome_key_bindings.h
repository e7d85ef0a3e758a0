#pragma once
// System-wide keys on a GNOME desktop that offers no GlobalShortcuts portal:
// custom key bindings in GNOME's keyboard settings (gnome-settings-daemon's
// media-keys plugin runs them), each running a command that hands the press
// to the running window program. A binding lives as long as its grab. Ours
// are found by their settings paths, which carry our process id: entries
// that a killed run left behind are removed before the first claim, and
// nobody else's are ever touched.

#include <sys/types.h>

#include <string>

#include "platform/backend.h"

namespace platform {

// Binds `keys` to `command` under GNOME's custom key bindings, named after
// `name` ("print", ...). HeldByAnother, with a note naming the holder, when
// GNOME or one of its other bindings already uses the combination: GNOME
// keeps it. NotInSession, with a note, where GNOME's settings cannot be
// written; Refused, with a note, for a combination no command names.
ClaimOutcome ClaimGnomeKeyBinding(const KeyCombination& keys, const std::string& name,
                                  const std::string& command);

// True when `pid` is a process of this user running this program's file: a
// window program of ours, whose entries are in use. (The number of a killed
// run's may have gone to another program since, named tessarine-window too.)
bool RunsThisProgram(pid_t pid);

// The combination in GNOME's notation: "<Shift>Print",
// "<Control><Alt><Shift>Print"; empty for a key it has no name for here.
std::string GnomeAccelerator(const KeyCombination& keys);

// True when GNOME's accelerator `accelerator` ("<Primary><Alt>Print",
// "<shift>print", ...) stands for `keys`.
bool SameCombination(const std::string& accelerator, const KeyCombination& keys);

}  // namespace platform
