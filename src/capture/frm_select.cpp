#include "capture/frm_select.h"

#include <cmath>
#include <string>

#include "base/rounding.h"
#include "capture/capture_buffer.h"
#include "capture/capture_presses.h"
#include "capture/frozen_scale.h"
#include "capture/monitor_window.h"
#include "capture/region_buffer.h"
#include "platform/controls/cursor.h"
#include "platform/controls/event_pump.h"
#include "platform/controls/message_box.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/rectangle_shape.h"
#include "platform/raster/handle_release.h"
#include "program/default_form.h"
#include "program/do_events.h"
#include "program/screen_size.h"
#include "program/variables.h"
#include "ui/main/form1.h"

frmSelect::frmSelect() : Form(Style::CoverScreen, "frmSelect") {
    setCaption("Form3");
    Picture1.setName("Picture1");
    Picture1.setTabStop(true);
    CropBox.setName("CropBox");
    CropBox.setBorderWidth(2);
    SizeLabel.setName("SizeLabel");
    // The pointer says the screen is waiting for a rectangle.
    Picture1.setMousePointer(controls::MousePointer::Crosshair);
    Picture1.MouseDown = [this](int button, int shift, float x, float y) {
        Picture1_MouseDown(button, shift, x, y);
    };
    Picture1.MouseMove = [this](int button, int shift, float x, float y) {
        Picture1_MouseMove(button, shift, x, y);
    };
    Picture1.MouseUp = [this](int button, int shift, float x, float y) {
        Picture1_MouseUp(button, shift, x, y);
    };
    KeyDown = [this](int keyCode, int shift) { Form_KeyDown(keyCode, shift); };
    QueryUnload = [this] { return Form_QueryUnload(); };
}

void frmSelect::Form_Load() {
    selecting_.emplace();
    raster::OperationScope operation;
    // The window covers the screen, every monitor of it, so that a point on
    // the picture is the same point of the screen; or, where the monitors'
    // scales differ, the first monitor, and each other one has a window of
    // its own. Together they show the whole frozen screen, pixel for pixel.
    const app::ScreenPixels screen = app::ScreenPixelSize();
    const std::vector<controls::ScreenArea> areas = controls::AreasCoveringScreen(
        base::ToInt32OrZero(screen.width), base::ToInt32OrZero(screen.height));
    CoverScreenArea(areas.front());
    origin_ = {areas.front().left, areas.front().top};
    OpenMonitorWindows(areas);
    for (const std::unique_ptr<capture::MonitorWindow>& window : monitorWindows_) {
        window->picture.ShowContext(variables::CaptureDC, window->originX, window->originY);
        window->Show();
        window->picture.Move(0, 0, window->ScaleWidth(), window->ScaleHeight());
    }
    Show();
    // The picture covers the form: the form's size in twips over 15 is its
    // size in pixels. It shows the frozen screen where the capture buffer
    // holds it, rather than a copy as large as the screen, unless the frozen
    // screen has more pixels than the window (a portal's screenshot of a
    // scaled Wayland desktop): then the start draws it scaled down.
    Picture1.Move(Picture1.Left(), Picture1.Top(), ScaleWidth(), ScaleHeight());
    frozenScale_ = capture::FrozenScreenScale(Picture1.ScaleWidth(), Picture1.ScaleHeight(),
                                              base::ToInt32OrZero(screen.width),
                                              base::ToInt32OrZero(screen.height));
    if (frozenScale_.isOne()) {
        Picture1.ShowContext(variables::CaptureDC, origin_.x, origin_.y);
    }
    // Escape must reach this window, not the one that was in front.
    TakeKeyboard();
    Picture1.SetFocus();
}

void frmSelect::Form_Unload() {
    raster::OperationScope operation;
    if (!finished_) {
        capture::RestoreBufferBeforeSelection();
    }
    for (const std::unique_ptr<capture::MonitorWindow>& window : monitorWindows_) {
        window->Hide();
    }
    if (Form1* main = Form1::Instance()) {
        main->Show();
    }
    ReleaseKeyboard();
    selecting_.reset();
}

void frmSelect::Cancel() {
    // Not a later selection's window, should this one get input after its
    // unload.
    if (app::DefaultForm<frmSelect>::IfLoaded() == this) {
        app::DefaultForm<frmSelect>::Unload();
    }
}

bool frmSelect::Form_QueryUnload() {
    // While the selection is being captured, the window goes when that is
    // done.
    if (!finishing_) {
        Cancel();
    }
    return false;
}

void frmSelect::Form_KeyDown(int keyCode, int) {
    if (keyCode == controls::vbKeyEscape && !finishing_) {
        Cancel();
    }
}

void frmSelect::OpenMonitorWindows(const std::vector<controls::ScreenArea>& monitors) {
    for (auto monitor = monitors.begin() + 1; monitor != monitors.end(); ++monitor) {
        auto window = std::make_unique<capture::MonitorWindow>(*this, *monitor);
        controls::RectangleShape* band = &window->band;
        const Point origin{window->originX, window->originY};
        window->picture.MouseDown = [this, band, origin](int button, int, float x, float y) {
            Press(band, origin, button, x, y);
        };
        window->picture.MouseMove = [this, band](int button, int, float x, float y) {
            Drag(band, button, x, y);
        };
        window->picture.MouseUp = [this](int button, int shift, float x, float y) {
            Picture1_MouseUp(button, shift, x, y);
        };
        window->KeyDown = [this](int keyCode, int shift) { Form_KeyDown(keyCode, shift); };
        window->QueryUnload = [this] { return Form_QueryUnload(); };
        monitorWindows_.push_back(std::move(window));
    }
}

void frmSelect::Picture1_MouseDown(int button, int, float x, float y) {
    Press(&CropBox, origin_, button, x, y);
}

void frmSelect::Press(controls::RectangleShape* band, Point origin, int button, float x, float y) {
    if (finishing_ || !selecting_) {
        return;
    }
    raster::OperationScope operation;
    if (button == controls::vbRightButton) {
        Cancel();
        return;
    }
    // Any point of the screen fits 16 bits.
    variables::DragStartX = base::ToInt16(x + static_cast<float>(origin.x)).value_or(0);
    variables::DragStartY = base::ToInt16(y + static_cast<float>(origin.y)).value_or(0);
    band_ = band;
    bandOrigin_ = origin;
    band->setLeft(x);
    band->setTop(y);
    band->setWidth(1);
    band->setHeight(1);
    band->setVisible(true);
}

void frmSelect::Picture1_MouseMove(int button, int, float x, float y) {
    Drag(&CropBox, button, x, y);
}

void frmSelect::Drag(controls::RectangleShape* band, int button, float x, float y) {
    if (finishing_ || !selecting_ || button != controls::vbLeftButton || band != band_) {
        return;
    }
    raster::OperationScope operation;
    // The band grows only to the right and downwards: a negative size is
    // refused and the band keeps its last size in that direction.
    band->setWidth(x - band->Left());
    band->setHeight(y - band->Top());
    // A band reaching into other monitors' windows shows there too, at the
    // same screen pixels.
    for (const Pane& pane : Panes()) {
        if (pane.band != band_) {
            pane.band->setLeft(band_->Left() + (bandOrigin_.x - pane.origin.x));
            pane.band->setTop(band_->Top() + (bandOrigin_.y - pane.origin.y));
            pane.band->setWidth(band_->Width());
            pane.band->setHeight(band_->Height());
            pane.band->setVisible(true);
        }
    }
    ShowBandSize();
}

std::vector<frmSelect::Pane> frmSelect::Panes() {
    std::vector<Pane> panes{{&Picture1, &CropBox, &SizeLabel, origin_}};
    for (const std::unique_ptr<capture::MonitorWindow>& window : monitorWindows_) {
        panes.push_back({&window->picture,
                         &window->band,
                         &window->sizeLabel,
                         {window->originX, window->originY}});
    }
    return panes;
}

void frmSelect::ShowBandSize() {
    const std::string text = std::to_string(std::lround(band_->Width() * frozenScale_.x)) + " x " +
                             std::to_string(std::lround(band_->Height() * frozenScale_.y));
    // On the window under the pointer.
    for (const Pane& pane : Panes()) {
        if (controls::PointerIsOver(*pane.picture)) {
            pane.label->ShowBesidePointer(text);
        } else {
            pane.label->setVisible(false);
        }
    }
}

void frmSelect::Picture1_MouseUp(int, int, float, float) {
    // Once unloaded, the window may still get the release of a button that
    // was down when a right press cancelled: it must not capture from the
    // buffer that the cancel put back.
    if (finishing_ || finished_ || !selecting_) {
        return;
    }
    capture::CaptureRunning running;
    raster::OperationScope operation;
    finishing_ = true;
    for (const Pane& pane : Panes()) {
        if (pane.band != band_) {
            pane.band->setVisible(false);
        }
        pane.label->setVisible(false);
    }
    band_->setVisible(false);
    const auto width = base::ToInt16(band_->Width() * frozenScale_.x);
    const auto height = base::ToInt16(band_->Height() * frozenScale_.y);
    band_->setWidth(1);
    band_->setHeight(1);
    if (!width || !height) {
        controls::ShowMessage(this, controls::MessageIcon::Warning, "Tessarine",
                              "The selected rectangle is too large: a capture can be at most "
                              "32767 pixels wide and 32767 pixels high. Nothing was captured.");
        finishing_ = false;
        Cancel();
        return;
    }
    if (*width == 0 || *height == 0) {
        // A rectangle without area holds no pixel: keep the previous capture.
        finishing_ = false;
        Cancel();
        return;
    }
    if (Form1* main = Form1::Instance()) {
        main->setVisible(false);
    }
    controls::DoEvents();

    raster::ReplaceContext(variables::SelectionScreenDC,
                           raster::CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    // The rectangle is cut straight from the snapshot in the capture buffer:
    // no screen-sized copy of it is needed.
    if (!capture::CutCaptureBuffer(variables::SelectionScreenDC, variables::CaptureDC,
                                   base::ToInt32OrZero(variables::DragStartX * frozenScale_.x),
                                   base::ToInt32OrZero(variables::DragStartY * frozenScale_.y),
                                   *width, *height)) {
        controls::ShowMessage(this, controls::MessageIcon::Warning, "Tessarine",
                              "There is no memory for a " + std::to_string(*width) + " x " +
                                  std::to_string(*height) + " capture. Nothing was captured.");
        finishing_ = false;
        Cancel();
        return;
    }
    capture::ForgetBufferBeforeSelection();
    finished_ = true;

    if (Form1* main = Form1::Instance()) {
        main->RedrawPreviewAfterLayout();
        main->setVisible(true);
    }
    app::DefaultForm<frmSelect>::Unload();
}
