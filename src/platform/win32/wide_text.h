#pragma once
// Text at the boundary with Windows: its calls take UTF-16, the program
// keeps UTF-8.

#include <string>
#include <string_view>

namespace platform::win32 {

// Ill-formed input comes out with U+FFFD in place of what could not be read.
std::string Utf8FromWide(std::wstring_view wide);
std::wstring WideFromUtf8(std::string_view utf8);

// The system's message for a GetLastError() code, on one line.
std::string SystemMessage(unsigned long code);

}  // namespace platform::win32
