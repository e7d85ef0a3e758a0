#pragma once
// Message boxes that, like the classic desktop's, copy themselves to the
// clipboard with Ctrl+C: title, text and buttons between separator lines.

#include <string_view>

#include "platform/controls/control.h"

namespace controls {

enum class MessageIcon { Information, Warning, Critical };

// Shows a modal message box with an OK button over `owner` (none: a box of
// its own in the task bar) and returns once the user has closed it.
void ShowMessage(const Control* owner, MessageIcon icon, std::string_view title,
                 std::string_view text);

}  // namespace controls
