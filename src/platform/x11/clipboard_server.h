#pragma once
// Puts a PNG picture on the X clipboard from a program that ends at once:
// a child process owns the CLIPBOARD selection and serves it (image/png,
// large pictures in INCR steps) until another client takes the selection
// or the display goes, as the usual clipboard tools do. The caller is
// single-threaded.

#include <string>

#include "platform/clipboard_picture.h"

namespace platform {

// Starts the serving process on `display` (null: $DISPLAY) and returns once
// it owns the clipboard: true, or false with the reason in `error`, within
// a few seconds either way. The serving process makes the PNG with
// `makePng` once it owns the clipboard (from its copy of the caller's
// memory), so the caller need not wait for the encoding; a request that
// comes meanwhile is answered when it is done. Should it fail, the process
// ends and the clipboard is left empty.
bool ServeClipboardPng(const char* display, const PngMaker& makePng, std::string& error);

}  // namespace platform
