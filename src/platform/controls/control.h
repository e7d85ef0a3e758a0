#pragma once
// What every control offers, whatever toolkit draws it: a place on its
// container, visibility, an enabled state and the keyboard focus. The
// toolkit's object lives behind Impl, which only the toolkit's own
// implementation files (platform/controls/qt/) define. Text is UTF-8;
// places and sizes are in the container's units (pixels at 96 dpi).
//
// Handlers are plain function objects named after the event they answer
// (Click, MouseDown, ...); an empty one ignores the event.

#include <memory>

namespace controls {

// Mouse button codes as handlers receive them: 1 left, 2 right, 4 middle;
// shift codes: 1 Shift, 2 Ctrl, 4 Alt.
inline constexpr int vbLeftButton = 1;
inline constexpr int vbRightButton = 2;
inline constexpr int vbMiddleButton = 4;
inline constexpr int vbShiftMask = 1;
inline constexpr int vbCtrlMask = 2;
inline constexpr int vbAltMask = 4;

// Key codes as KeyDown handlers receive them.
inline constexpr int vbKeyEscape = 27;

class Control {
  public:
    struct Impl;

    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void Move(int left, int top, int width, int height);

    bool Visible() const;
    void setVisible(bool visible);
    bool Enabled() const;
    void setEnabled(bool enabled);
    void SetFocus();
    // The name tests and the desktop's accessibility tools know it by.
    void setName(const char* name);

    Impl& impl() const { return *impl_; }

  protected:
    explicit Control(std::unique_ptr<Impl> impl);

  private:
    std::unique_ptr<Impl> impl_;
};

// Sets the keyboard's Tab order: `first`, then `second`.
void SetTabOrder(Control& first, Control& second);

}  // namespace controls
