#pragma once
// A line the user should see while the desktop is busy on the program's
// behalf: asking the user whether we may take screenshots, say. The backend
// posts it; the window shows it in its status bar and the command line
// prints it on standard error. No Qt here: the command line uses it too.

#include <functional>
#include <string>

namespace platform {

// Receives each notice; an empty one says that the last is over.
using NoticeSink = std::function<void(const std::string& notice)>;

// Where notices go from now on (null: nowhere).
void SetNoticeSink(NoticeSink sink);

// Hands `notice` to the sink; empty when the matter is settled.
void PostNotice(const std::string& notice);

}  // namespace platform
