#pragma once

class Form1;

namespace app {

// Releases what the capture buffer and the main window still hold, once
// the event loop has ended.
void ReleaseEverything(Form1* form);

}  // namespace app
