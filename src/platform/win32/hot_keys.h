#pragma once
// System-wide keys held with RegisterHotKey, each by a message-only window
// of the thread that claims it: its presses arrive through that thread's
// message loop.

#include <functional>

#include "platform/backend.h"

namespace platform::win32 {

// A combination another program holds is HeldByAnother, as on X11.
ClaimOutcome RegisterKeys(const KeyCombination& keys, std::function<void()> onPress);

}  // namespace platform::win32
