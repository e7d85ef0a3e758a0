#pragma once
// Puts a PNG picture on the X clipboard from a program that ends at once:
// a child process owns the CLIPBOARD selection and serves it (image/png,
// large pictures in INCR steps) until another client takes the selection
// or the display goes, as the usual clipboard tools do. The caller is
// single-threaded.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Starts the serving process on `display` (null: $DISPLAY) and returns once
// it owns the clipboard: true, or false with the reason in `error`, within
// a few seconds either way.
bool ServeClipboardPng(const char* display, std::vector<std::uint8_t> png, std::string& error);

}  // namespace platform
