#pragma once
// strftime's fields of a time, filled in by our own code so that a file
// name template gives the same name on every system, whatever its C
// library knows: the C and POSIX fields (%a to %Z, %%) as glibc writes them
// in the "C" locale, with its flags ('-' no padding, '_' spaces, '0'
// zeros, '^' upper case, '#' the other case), a width, and the E and O
// modifiers. Nothing here needs Qt.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace output {

// `format` with its fields filled in for `when`, or empty when it holds a
// field that is not known (or a '%' at its end). `timeSeparator` goes
// between hours, minutes and seconds (%T, %R, %r, %X, %c).
std::optional<std::string> FormatTimeFields(std::string_view format, const std::tm& when,
                                            char timeSeparator);

}  // namespace output
