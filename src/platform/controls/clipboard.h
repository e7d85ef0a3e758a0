#pragma once
// The desktop's clipboard, as the window program fills it.

#include <cstddef>
#include <cstdint>
#include <span>

namespace controls {

// Puts one picture on the clipboard, offered both as a PNG file and as a
// bitmap file, for whatever program it is pasted into. The clipboard keeps
// its own copy and serves it for as long as the program runs or until
// something else is copied.
void SetClipboardPicture(std::span<const std::uint8_t> png, std::span<const std::uint8_t> bitmap);

}  // namespace controls
