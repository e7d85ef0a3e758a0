#pragma once
// What Windows says about a failed call, in the program's UTF-8.

#include <string>

namespace platform::win32 {

// The system's message for a GetLastError() code, on one line.
std::string SystemMessage(unsigned long code);

}  // namespace platform::win32
