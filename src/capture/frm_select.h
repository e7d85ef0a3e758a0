#pragma once
// The selection window of the region capture: a borderless window over the
// whole screen showing the frozen snapshot, on which the user drags the
// rectangle to capture.

#include <memory>
#include <optional>
#include <vector>

#include "capture/capture_presses.h"
#include "capture/frozen_scale.h"
#include "capture/monitor_window.h"
#include "platform/controls/form.h"
#include "platform/controls/picture_box.h"
#include "platform/controls/pointer_label.h"
#include "platform/controls/rectangle_shape.h"
#include "platform/controls/screen_area.h"

class frmSelect : public controls::Form {
  public:
    frmSelect();

    controls::PictureBox Picture1{*this};
    controls::RectangleShape CropBox{Picture1};
    // The band's size in device pixels beside the pointer, over the frozen
    // picture (the capture is cut from the snapshot, not from this window,
    // so the label never gets into it).
    controls::PointerLabel SizeLabel{Picture1};

    void Form_Load();
    void Form_Unload();
    void Form_KeyDown(int keyCode, int shift);
    void Picture1_MouseDown(int button, int shift, float x, float y);
    void Picture1_MouseMove(int button, int shift, float x, float y);
    void Picture1_MouseUp(int button, int shift, float x, float y);

    // Frozen-screen pixels per picture pixel: one, but for a portal's
    // screenshot of a scaled Wayland desktop.
    capture::FrozenScale frozenScale() const { return frozenScale_; }

  private:
    // A point of the screen, in its pixels.
    struct Point {
        int x = 0;
        int y = 0;
    };

    // Unloads the window without capturing; the buffer goes back to what it
    // was before the selection started.
    void Cancel();
    // The close box, or Escape on any of the selection's windows.
    bool Form_QueryUnload();
    // A window for each monitor but the first, where the monitors' scales
    // differ.
    void OpenMonitorWindows(const std::vector<controls::ScreenArea>& monitors);
    // A press, drag or release on the picture of a window whose top left
    // is the screen pixel `origin`; band is that window's rubber band.
    void Press(controls::RectangleShape* band, Point origin, int button, float x, float y);
    void Drag(controls::RectangleShape* band, int button, float x, float y);
    void ShowBandSize();

    // A window's picture, rubber band and size label, and its top left in
    // screen pixels: this window's and each other monitor's.
    struct Pane {
        controls::PictureBox* picture;
        controls::RectangleShape* band;
        controls::PointerLabel* label;
        Point origin;
    };
    std::vector<Pane> Panes();

    // The selection counts as a running capture from its load to its unload:
    // a hot key pressed meanwhile waits for it, rather than taking the
    // screen and the keyboard from under it.
    std::optional<capture::CaptureRunning> selecting_;
    // A release is being turned into the capture: further input waits.
    bool finishing_ = false;
    // The selection became the capture.
    bool finished_ = false;
    capture::FrozenScale frozenScale_;
    // This window's top left in screen pixels.
    Point origin_;
    std::vector<std::unique_ptr<capture::MonitorWindow>> monitorWindows_;
    // The band of the window the drag started on, and that window's top
    // left in screen pixels.
    controls::RectangleShape* band_ = &CropBox;
    Point bandOrigin_;
};
