#pragma once
// Drawing the capture buffer into the preview pane.

namespace controls {
class PictureBox;
}

namespace preview {

// Clears the pane and shows the whole capture in it: stretched to the
// pane's size, or 1:1 at its origin with the rest of the pane blank. Every
// path that changes the capture or the pane shows it this one way.
void ShowCapture(controls::PictureBox& pane, bool stretched);

}  // namespace preview
