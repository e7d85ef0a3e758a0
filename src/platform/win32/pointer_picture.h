#pragma once
// The mouse pointer as Windows draws it, in desktop coordinates.

#include <optional>

#include "platform/backend.h"

namespace platform::win32 {

// Empty while the pointer is hidden or its shape cannot be read.
std::optional<PointerPicture> CurrentPointerPicture();

}  // namespace platform::win32
