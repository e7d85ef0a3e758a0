// The foreground-window capture: copy the rectangle of the window in front,
// frame and title bar included, from the screen into a new capture buffer
// and show it in the preview. The main window stays where it is.

#include <cctype>

#include "base/rounding.h"
#include "capture/capture_buffer.h"
#include "capture/capture_presses.h"
#include "capture/foreground_window.h"
#include "capture/form2.h"
#include "capture/screen_freeze.h"
#include "capture/window_in_front.h"
#include "platform/controls/event_pump.h"
#include "platform/controls/message_box.h"
#include "platform/controls/picture_box.h"
#include "platform/raster/handle_release.h"
#include "program/default_form.h"
#include "program/do_events.h"
#include "program/variables.h"
#include "ui/main/form1.h"

void Form1::mnuWindow_Click() {
    app::DefaultForm<Form2>::Get().Show();
}

void Form1::WSHK_HotKeyPressed() {
    capture::CaptureRunning running;
    raster::OperationScope operation;

    variables::SaveNameKnown = false;
    picpreview.Cls();
    controls::DoEvents();
    // The instructions must not be in the picture, nor be the window in front.
    app::DefaultForm<Form2>::Get().Hide();

    using Outcome = capture::WindowInFront::Outcome;
    const capture::WindowInFront found = capture::FindWindowInFront(*platform::CurrentBackend());
    if (found.outcome != Outcome::Found) {
        // Refused before anything is replaced: the previous capture stays,
        // and the preview shows it again.
        RedrawPreviewAfterLayout();
        std::string text = capture::WhyNoWindowInFront(found);
        if (!text.empty()) {
            text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        }
        text += found.outcome == Outcome::DesktopCannotTell
                    ? ", so Shift+Print Screen cannot capture it. Capture Selection can take it "
                      "instead: drag a rectangle over the window. The previous capture is kept."
                    : "; the previous capture is kept.";
        controls::ShowMessage(this, controls::MessageIcon::Warning, "Tessarine", text);
        return;
    }
    const platform::RECT rect = found.rect;
    // The window is read from a still picture of the whole screen where the
    // screen comes only whole; a refusal keeps the previous capture.
    if (const std::string why = capture::FreezeScreen(); !why.empty()) {
        RedrawPreviewAfterLayout();
        capture::ShowScreenNotCaptured(this, why);
        return;
    }
    const int width = found.size.width;
    const int height = found.size.height;
    // From the screen, not from the window: whatever covers it is captured,
    // and parts off the screen come out black.
    std::string why;
    const std::optional<capture::ScreenGrab> grab =
        capture::GrabScreen(rect.left, rect.top, width, height, why);
    if (!grab) {
        RedrawPreviewAfterLayout();
        capture::ShowScreenNotCaptured(this, why);
        return;
    }
    capture::StoreGrab(ScreenDC, *grab, static_cast<std::int16_t>(width),
                       static_cast<std::int16_t>(height));
    RedrawPreviewAfterLayout();
}
