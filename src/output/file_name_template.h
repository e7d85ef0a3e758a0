#pragma once
// File names made when the picture is taken: "~/Pictures/%F_%T_$wx$h.png"
// has strftime's fields of the local time (filled in here, the same on
// every system) and $w, $h for the picture's width and height in pixels;
// a leading "~/" is the home folder. Such a
// name never replaces a file: when the name is taken, "_1", "_2", ... go
// before its extension. The name is claimed by the finished picture itself
// (see output::NameRule::FirstFree), so no name ever holds a partial file
// and two captures at once get two files. Nothing here needs Qt.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files/free_name.h"

namespace output {

// Whether `name` has fields to fill in: a '%' or "$w" or "$h".
bool IsFileNameTemplate(std::string_view name);

// "~/..." with the home folder ($HOME) in front; anything else as it is.
std::string ExpandHome(std::string_view name);

// The template filled in for `when` and a picture of `width` x `height`,
// or empty when a field is not known. The time's separator is the
// system's (platform::files::TimeSeparatorInNames). Only what the user
// typed is filled in: the home folder of a leading "~/" goes in as it is.
std::optional<std::string> FillFileNameTemplate(std::string_view name, const std::tm& when,
                                                int width, int height);

using platform::files::ClaimFreeName;
using platform::files::NameClaim;

}  // namespace output
