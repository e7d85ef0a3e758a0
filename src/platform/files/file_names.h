#pragma once
// What names of files look like on this system, and the parts of the local
// time that only the system knows, for the names the program makes. Each
// system's answers sit in a file of its own (file_names_posix.cpp,
// file_names_win32.cpp). Nothing here needs Qt.

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

namespace platform::files {

// Where the last folder separator of `path` is, or npos.
std::size_t LastSeparator(std::string_view path);

// The user's home folder in UTF-8, as "~/" stands for; empty when unknown.
std::string HomeFolder();

// What separates hours, minutes and seconds in a name made from the time.
// ':' where a file name may hold it; elsewhere (Windows, where it starts
// a file's alternate data stream) '-', which keeps the time one word that
// no extension splits.
char TimeSeparatorInNames();

// `when`'s offset from UTC as "+hhmm" and its time zone's name, empty when
// the system cannot say.
std::string TimeZoneOffset(const std::tm& when);
std::string TimeZoneName(const std::tm& when);

}  // namespace platform::files
