#pragma once
// The text of the HotKeys message.

#include <string>
#include <vector>

namespace controls {
class VBHotKey;
}

namespace hot_keys {

// The three lines that describe the keys; when some combinations could not
// be claimed, a line that names them; then `sessionNote`, when there is one.
std::string MessageText(const std::vector<std::string>& unclaimed,
                        const std::string& sessionNote = std::string());

// What the desktop did with the keys, a line for each kind: the triggers
// it bound, the desktop that runs `tessarine --hot-key` for them, its own
// word on keys it did not give; or that it lets no program hold keys.
// Empty where the keys are held as asked (an X11 session).
std::string SessionNote(const std::vector<const controls::VBHotKey*>& keys);

// Said on standard error and in the message where the desktop holds no keys
// for programs.
extern const char* const kNoKeysInSession;

}  // namespace hot_keys
