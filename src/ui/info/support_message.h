#pragma once
// Where users find help: the support web page and e-mail address, and the
// Help menu's support message.

#include <string>

namespace info {

inline constexpr const char* kSupportWebPage = "https://support.example.com/tessarine";
inline constexpr const char* kSupportEmail = "support@example.com";

// The support message: two lines joined by CR LF, the first ending in a
// space, no line break after the second.
std::string SupportMessageText();

}  // namespace info
