#pragma once
// The X display the program works on. The toolkit opens its windows on the
// display that a -display (or --display) argument names, else on $DISPLAY;
// the screen reader, the window queries and the key grabs must all use the
// same one.

#include <string>
#include <vector>

namespace platform {

// The display named by a -display or --display argument, as the toolkit's
// X11 backend reads it ("-display NAME"); empty when there is none.
std::string DisplayArgument(const std::vector<std::string>& args);

// Remembers the display to use; empty means $DISPLAY.
void UseDisplay(std::string name);
// The display to pass to xcb_connect: null for $DISPLAY.
const char* DisplayName();

}  // namespace platform
