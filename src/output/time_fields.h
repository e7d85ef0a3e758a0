#pragma once
// strftime's fields of a time, filled in by our own code so that a file
// name template gives the same name on every system, whatever its C
// library knows: the C and POSIX fields (%a to %Z, %%) as glibc writes them
// in the "C" locale, with its flags ('-' no padding, '_' spaces, '0'
// zeros, '^' upper case, '#' the other case), a width, and the E and O
// modifiers. Nothing here needs Qt.

#include <ctime>
#include <string>
#include <string_view>

namespace output {

// `format` with its fields filled in for `when`; what is no field is
// written as it stands, as glibc writes it. `timeSeparator` goes between
// hours, minutes and seconds (%T, %R, %r, %X, %c).
std::string FormatTimeFields(std::string_view format, const std::tm& when, char timeSeparator);

}  // namespace output
