#include "capture/frm_select.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "base/rounding.h"
#include "capture/capture_buffer.h"
#include "capture/capture_presses.h"
#include "capture/frozen_scale.h"
#include "capture/monitor_window.h"
#include "capture/region_buffer.h"
#include "capture/size_label.h"
#include "platform/backend.h"
#include "platform/controls/event_pump.h"
#include "platform/controls/message_box.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/rectangle_shape.h"
#include "platform/raster/handle_release.h"
#include "platform/x11/window_hints.h"
#include "program/default_form.h"
#include "program/do_events.h"
#include "program/screen_size.h"
#include "program/variables.h"
#include "ui/main/form1.h"

// The window manager is bypassed: it would fit a full-screen window to one
// monitor, where the selection must cover all of them. Not where only the
// window manager's windows get the keyboard (KWin): a borderless window as
// large as the desktop covers it all there too.
frmSelect::frmSelect()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setWindowFlag(Qt::X11BypassWindowManagerHint,
                  platform::CurrentBackend()->coverKeyboard() !=
                      platform::Backend::CoverKeyboard::WindowManager);
    setObjectName("frmSelect");
    setWindowTitle("Form3");
    Picture1 = std::make_unique<controls::PictureBox>(host_);
    Picture1->setName("Picture1");
    Picture1->Move(0, 0, Picture1->Width(), Picture1->Height());
    Picture1->setTabStop(true);
    CropBox = std::make_unique<controls::RectangleShape>(*Picture1);
    CropBox->setName("CropBox");
    CropBox->setBorderWidth(2);
    band_ = CropBox.get();
    // The pointer says the screen is waiting for a rectangle.
    Picture1->setMousePointer(controls::MousePointer::Crosshair);
    sizeLabel_ = capture::NewSizeLabel(controls::qt::WidgetOf(*Picture1));
    Picture1->MouseDown = [this](int button, int shift, float x, float y) {
        Picture1_MouseDown(button, shift, x, y);
    };
    Picture1->MouseMove = [this](int button, int shift, float x, float y) {
        Picture1_MouseMove(button, shift, x, y);
    };
    Picture1->MouseUp = [this](int button, int shift, float x, float y) {
        Picture1_MouseUp(button, shift, x, y);
    };
}

void frmSelect::Form_Load() {
    selecting_.emplace();
    raster::OperationScope operation;
    // The window covers the X screen exactly, every monitor of it, so that a
    // point on the picture is the same point of the screen. The toolkit
    // places windows in its own units, which a scaled desktop makes larger
    // than a pixel; the monitor at the screen's origin sets that scale.
    winId();  // the native window, so that its hints can be set before it maps
    const app::ScreenPixels screen = app::ScreenPixelSize();
    if (const QRect desktop = capture::WaylandDesktopArea(); !desktop.isEmpty()) {
        // Over every output of the Wayland desktop at once, as XWayland lays
        // them out.
        setGeometry(desktop);
    } else if (!capture::MonitorsOfMixedScales().empty()) {
        OpenMonitorWindows();
    } else {
        QScreen* origin = QGuiApplication::screenAt(QPoint(0, 0));
        if (origin) {
            windowHandle()->setScreen(origin);
        }
        const qreal ratio = origin ? origin->devicePixelRatio() : devicePixelRatioF();
        // The fewest units that the toolkit, rounding to the nearest pixel,
        // turns into the whole screen: at 1.25, 819 units for 1024 pixels,
        // where 820 would reach one pixel past it.
        const auto units = [ratio](float pixels) {
            return static_cast<int>(std::ceil((base::ToInt32OrZero(pixels) - 0.5) / ratio - 1e-6));
        };
        setGeometry(0, 0, units(screen.width), units(screen.height));
    }
    platform::KeepOutOfTaskbar(windowHandle());
    for (capture::MonitorWindow* window : monitorWindows_) {
        window->picture()->ShowContext(variables::CaptureDC, window->pixelOrigin().x(),
                                       window->pixelOrigin().y());
        window->showOverMonitor();
    }
    show();
    // Showing writes the window's state afresh.
    platform::KeepOutOfTaskbar(windowHandle());
    // The picture covers the form: the form's size in twips over 15 is its
    // size in pixels. It shows the frozen screen where the capture buffer
    // holds it, rather than a copy as large as the screen, unless the frozen
    // screen has more pixels than the window (a portal's screenshot of a
    // scaled Wayland desktop): then the start draws it scaled down.
    Picture1->Move(Picture1->Left(), Picture1->Top(), width(), height());
    if (ownMonitor_.screen) {
        capture::CoverMonitor(this, *Picture1, ownMonitor_);
    }
    frozenScale_ = capture::FrozenScreenScale(Picture1->ScaleWidth(), Picture1->ScaleHeight(),
                                              base::ToInt32OrZero(screen.width),
                                              base::ToInt32OrZero(screen.height));
    if (frozenScale_.isOne()) {
        Picture1->ShowContext(variables::CaptureDC, origin_.x(), origin_.y());
    }
    raise();
    // Escape must reach this window, not the one that was in front.
    if (platform::CurrentBackend()->coverKeyboard() == platform::Backend::CoverKeyboard::Grab) {
        grabKeyboard();
    } else {
        activateWindow();
    }
    Picture1->SetFocus();
}

void frmSelect::Form_Unload() {
    raster::OperationScope operation;
    if (!finished_) {
        capture::RestoreBufferBeforeSelection();
    }
    for (capture::MonitorWindow* window : monitorWindows_) {
        window->hide();
    }
    if (Form1* main = Form1::Instance()) {
        main->Show();
    }
    releaseKeyboard();
    selecting_.reset();
}

void frmSelect::Cancel() {
    app::DefaultForm<frmSelect>::Unload();
}

void frmSelect::OpenMonitorWindows() {
    // The first monitor has this window, each other one a window of its own;
    // together they show the whole frozen screen, each pixel for pixel.
    const std::vector<capture::Monitor> monitors = capture::MonitorsOfMixedScales();
    windowHandle()->setScreen(monitors.front().screen);
    setGeometry(monitors.front().units);
    ownMonitor_ = monitors.front();
    origin_ = ownMonitor_.pixels.topLeft();
    for (auto monitor = monitors.begin() + 1; monitor != monitors.end(); ++monitor) {
        auto* window = new capture::MonitorWindow(this, *monitor);
        controls::RectangleShape* band = window->band();
        const QPoint origin = window->pixelOrigin();
        window->picture()->MouseDown = [this, band, origin](int button, int, float x, float y) {
            Press(band, origin, button, x, y);
        };
        window->picture()->MouseMove = [this, band](int button, int, float x, float y) {
            Drag(band, button, x, y);
        };
        window->picture()->MouseUp = [this](int button, int shift, float x, float y) {
            Picture1_MouseUp(button, shift, x, y);
        };
        connect(window, &capture::MonitorWindow::cancelRequested, this, [this] {
            if (!finishing_) {
                Cancel();
            }
        });
        monitorWindows_.push_back(window);
    }
}

void frmSelect::Picture1_MouseDown(int button, int, float x, float y) {
    Press(CropBox.get(), origin_, button, x, y);
}

void frmSelect::Press(controls::RectangleShape* band, QPoint origin, int button, float x, float y) {
    if (finishing_) {
        return;
    }
    raster::OperationScope operation;
    if (button == 2) {
        Cancel();
        return;
    }
    // Any point of the screen fits 16 bits.
    variables::DragStartX = base::ToInt16(x + static_cast<float>(origin.x())).value_or(0);
    variables::DragStartY = base::ToInt16(y + static_cast<float>(origin.y())).value_or(0);
    band_ = band;
    bandOrigin_ = origin;
    band->setLeft(x);
    band->setTop(y);
    band->setWidth(1);
    band->setHeight(1);
    band->setVisible(true);
}

void frmSelect::Picture1_MouseMove(int button, int, float x, float y) {
    Drag(CropBox.get(), button, x, y);
}

void frmSelect::Drag(controls::RectangleShape* band, int button, float x, float y) {
    if (finishing_ || button != 1 || band != band_) {
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
            const QPoint shift = bandOrigin_ - pane.origin;
            pane.band->setLeft(band_->Left() + shift.x());
            pane.band->setTop(band_->Top() + shift.y());
            pane.band->setWidth(band_->Width());
            pane.band->setHeight(band_->Height());
            pane.band->setVisible(true);
        }
    }
    ShowBandSize();
}

std::vector<frmSelect::Pane> frmSelect::Panes() const {
    std::vector<Pane> panes{{Picture1.get(), CropBox.get(), sizeLabel_, origin_}};
    for (capture::MonitorWindow* window : monitorWindows_) {
        panes.push_back(
            {window->picture(), window->band(), window->sizeLabel(), window->pixelOrigin()});
    }
    return panes;
}

void frmSelect::ShowBandSize() {
    const long width = std::lround(band_->Width() * frozenScale_.x);
    const long height = std::lround(band_->Height() * frozenScale_.y);
    const QString text = QStringLiteral("%1 x %2").arg(width).arg(height);
    // On the window under the pointer.
    for (const Pane& pane : Panes()) {
        const QWidget* picture = controls::qt::WidgetOf(*pane.picture);
        if (picture && picture->rect().contains(picture->mapFromGlobal(QCursor::pos()))) {
            capture::ShowSizeLabel(pane.label, text);
        } else {
            pane.label->hide();
        }
    }
}

void frmSelect::Picture1_MouseUp(int, int, float, float) {
    if (finishing_ || finished_) {
        return;
    }
    capture::CaptureRunning running;
    raster::OperationScope operation;
    finishing_ = true;
    for (const Pane& pane : Panes()) {
        if (pane.band != band_) {
            pane.band->setVisible(false);
        }
        pane.label->hide();
    }
    band_->setVisible(false);
    const auto width = base::ToInt16(band_->Width() * frozenScale_.x);
    const auto height = base::ToInt16(band_->Height() * frozenScale_.y);
    band_->setWidth(1);
    band_->setHeight(1);
    if (!width || !height) {
        controls::ShowMessage(&host_, controls::MessageIcon::Warning, "Tessarine",
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
        controls::ShowMessage(&host_, controls::MessageIcon::Warning, "Tessarine",
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

void frmSelect::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (!finishing_) {
            Cancel();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmSelect::closeEvent(QCloseEvent* event) {
    if (finishing_) {
        // The selection is being captured; the window goes when that is done.
        event->ignore();
        return;
    }
    event->accept();
    Cancel();
}
