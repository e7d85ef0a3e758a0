#pragma once
// A label: a line or block of text on its container, which it draws
// transparently. Mouse events over it reach its handlers; a label without
// handlers lets them through to its container.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/controls/control.h"

namespace controls {

// A font by family, size in points at 96 pixels per inch (so that text fits
// boxes laid out in pixels whatever resolution the display reports) and
// style. A family that is not installed falls back to a similar one.
struct Font {
    std::string family;
    double points = 8;
    bool bold = false;
    bool italic = false;
};

enum class Alignment { Left, Center, Right };
// Where a line shorter than the label's height sits: at the top (the
// default) or in the middle.
enum class VerticalAlignment { Top, Middle };

// Automatic: pressing the left button on the control drags its outline
// until the button is released; a drop on a control that has a DragDrop
// handler calls it.
enum class DragMode { Manual, Automatic };

class Label : public Control {
  public:
    Label(Control& container, std::string_view caption);

    std::string Caption() const;
    void setCaption(std::string_view caption);
    void setForeColor(std::uint32_t rgb);
    void setFont(const Font& font);
    void setAlignment(Alignment alignment);
    void setVerticalAlignment(VerticalAlignment alignment);
    void setWordWrap(bool wrap);
    // The label sits on top of its container's other controls.
    void BringToFront();
    // Room inside the label's edges that its text keeps clear of (a control
    // lying over its end, say).
    void setTextMargins(int left, int top, int right, int bottom);
    void setDragMode(DragMode mode);

    std::function<void(int button, int shift, float x, float y)> MouseDown;
    std::function<void(int button, int shift, float x, float y)> MouseMove;
    std::function<void(int button, int shift, float x, float y)> MouseUp;
    // A press and a release over the label.
    std::function<void()> Click;
    // The control named `sourceName` of this program was dragged and dropped
    // on the label at (x, y). Runs once the drag has ended.
    std::function<void(const std::string& sourceName, float x, float y)> DragDrop;
};

}  // namespace controls
