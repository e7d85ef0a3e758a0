#pragma once
// Drawing the capture buffer into the preview pane.

namespace controls {
class PictureBox;
}

namespace preview {

// Stretches the whole capture to width x height at the pane's origin.
void DrawStretched(controls::PictureBox& pane, int width, int height);
// Copies width x height capture pixels 1:1 to the pane's origin.
void DrawActual(controls::PictureBox& pane, int width, int height);

}  // namespace preview
