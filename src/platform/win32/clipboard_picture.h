#pragma once
// A picture on the Windows clipboard, which keeps it after the program
// ends: no process has to stay behind to serve it.

#include <cstdint>
#include <string>
#include <vector>

namespace platform::win32 {

// Puts `png` on the clipboard as the registered "PNG" format and as a
// device-independent bitmap (CF_DIB), which every program that pastes
// pictures reads. False with the reason when that fails; the clipboard is
// then left as it was, or empty.
bool PutPngOnClipboard(const std::vector<std::uint8_t>& png, std::string& error);

}  // namespace platform::win32
