#pragma once
// Text is UTF-8 inside the program; Windows' wide-character calls take
// UTF-16. This is the one place the two meet (utf16_win32.cpp). Nothing
// here needs Qt.

#include <optional>
#include <string>
#include <string_view>

namespace platform::files {

// `text` in UTF-16, or empty when it is not valid UTF-8.
std::optional<std::wstring> WideFromUtf8(std::string_view text);

// `text` in UTF-16, with U+FFFD for what is not valid UTF-8: for text that
// is shown, where a name that is used must be refused instead.
std::wstring WideFromUtf8Replacing(std::string_view text);

// `text` in UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

}  // namespace platform::files
