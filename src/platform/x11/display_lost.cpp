#include "platform/x11/display_lost.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <cstring>

namespace platform {

void DisplayLost() {
    // write() and _exit(): safe wherever the loss is noticed, even inside a
    // message handler of the toolkit.
    static const char kMessage[] =
        "tessarine: the connection to the X display was lost (the X server ended or the "
        "network failed); the program ends.\n";
    ssize_t ignored = ::write(STDERR_FILENO, kMessage, std::strlen(kMessage));
    (void)ignored;
    ::_exit(1);
}

void EndIfDisplayLost(xcb_connection_t* connection) {
    if (connection && xcb_connection_has_error(connection)) {
        DisplayLost();
    }
}

}  // namespace platform
