#pragma once
// The mouse pointer as Windows draws it, in desktop coordinates.

#include <optional>

#include "platform/backend.h"

namespace platform::win32 {

// A picture of no pixels while the pointer is hidden; empty when its shape
// cannot be read.
std::optional<PointerPicture> CurrentPointerPicture();

}  // namespace platform::win32
