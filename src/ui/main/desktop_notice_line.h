#pragma once
// The status bar's line for what the desktop is doing on our behalf (asking
// the user whether we may take screenshots, say), while it lasts.

namespace controls {
class StatusBar;
}

namespace ui {

// From now on, notices of the backend show in `bar`'s panel; when one is
// over, the panel gets back the text it had. StopDesktopNotices ends it,
// before `bar` goes.
void ShowDesktopNoticesIn(controls::StatusBar* bar);
void StopDesktopNotices();

}  // namespace ui
