#pragma once
// Window-manager hints that Qt has no API for.

class QWindow;

namespace platform {

// Keeps a top-level window out of the taskbar and the pager. Works on a
// window that is not shown yet as well as on a shown one; does nothing when
// the program does not run on X11.
void KeepOutOfTaskbar(QWindow* window);

}  // namespace platform
