#pragma once
// Puts a PNG picture on a Wayland desktop's clipboard from a program that
// ends at once, through the data-control protocol
// (zwlr_data_control_manager_v1), with which a client that has no window
// sets the seat's selection: sway and KWin offer it, GNOME does not. A
// serving process hands the picture out as image/png until another
// selection replaces it, then ends. The compositor hands it on to XWayland's
// programs too. The caller is single-threaded.

#include <string>

#include "platform/clipboard_picture.h"

namespace platform {

enum class WaylandClipboard {
    Serving,     // the picture is the selection
    NotOffered,  // no data-control here (or no Wayland display): see `error`
    Failed,
};

// Starts the serving process and returns once the picture is the seat's
// selection, within a few seconds either way; says why not in `error`. The
// serving process makes the PNG with `makePng` once the selection is ours;
// a paste meanwhile is answered when it is done. Should that fail, the
// process ends and the selection with it.
WaylandClipboard ServeWaylandClipboardPng(const PngMaker& makePng, std::string& error);

}  // namespace platform
