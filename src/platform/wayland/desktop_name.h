#pragma once
// Which desktop the session runs, as XDG_CURRENT_DESKTOP names it: a
// colon-separated list such as "ubuntu:GNOME".

namespace platform {

// True when `desktops` (null: $XDG_CURRENT_DESKTOP) lists `name`, in any case.
bool DesktopIs(const char* name, const char* desktops = nullptr);

}  // namespace platform
