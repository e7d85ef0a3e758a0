#pragma once
// File names made when the picture is taken: "~/Pictures/%F_%T_$wx$h.png"
// has strftime's fields of the local time and $w, $h for the picture's
// width and height in pixels; a leading "~/" is the home folder. Such a
// name never replaces a file: when the name is taken, "_1", "_2", ... go
// before its extension, and the name is claimed (made, empty) before the
// picture is written to it, so two captures at once get two files.
// Nothing here needs Qt.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace output {

// Whether `name` has fields to fill in: a '%' or "$w" or "$h".
bool IsFileNameTemplate(std::string_view name);

// "~/..." with $HOME in front; anything else as it is.
std::string ExpandHome(std::string_view name);

// The template filled in for `when` and a picture of `width` x `height`,
// or empty when a strftime field cannot be filled in.
std::optional<std::string> FillFileNameTemplate(std::string_view name, const std::tm& when,
                                                int width, int height);

// Makes an empty file of `name`, or of the first free name with "_1",
// "_2", ... before its extension, and returns that name; empty with the
// reason in `error` when none can be made.
std::optional<std::string> ClaimFreeName(const std::string& name, std::string& error);

}  // namespace output
