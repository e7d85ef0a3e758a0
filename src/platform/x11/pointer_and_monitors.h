#pragma once
// The monitors of an X screen (RandR 1.5), the pointer's place and its
// picture (XFixes), for the command line's --monitor and --pointer.

#include <optional>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/x11/x11_connection.h"

namespace platform {

std::vector<MonitorArea> X11Monitors(const X11Connection& connection);

std::optional<std::pair<std::int32_t, std::int32_t>> X11PointerPosition(
    const X11Connection& connection);

std::optional<PointerPicture> X11PointerPicture(const X11Connection& connection);

}  // namespace platform
