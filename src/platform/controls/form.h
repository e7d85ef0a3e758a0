#pragma once
// A form: a top-level window whose client area holds controls. Forms are
// program classes derived from Form; their controls are members built on
// the form (`controls::Label Label1{*this};`).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/controls/control.h"
#include "platform/controls/screen_area.h"

namespace controls {

class Form : public Control {
  public:
    enum class Style {
        // A title bar, a sizable frame and a menu bar if it has menus.
        Sizable,
        // A fixed-size box: title bar and close box only; setClientSize
        // fixes its size.
        FixedDialog,
        // No frame or title: the window is all client area.
        Borderless,
        // Borderless, above every other window, out of the task bar and
        // past the window manager on every desktop: a window shown over the
        // screen for a moment while work is done. It is never given the
        // keyboard.
        Overlay,
        // No frame or title, over every other window and out of the task
        // bar, placed by the program alone where the desktop lets it (see
        // CoverScreenArea).
        CoverScreen,
    };

    Form(Style style, const char* name);
    ~Form() override;

    std::string Caption() const;
    void setCaption(std::string_view caption);
    // The program's icon in the title bar and the desktop's task bar.
    void ShowProgramIcon();
    // The client area's size.
    int ScaleWidth() const;
    int ScaleHeight() const;
    void setClientSize(int width, int height);

    void Show();
    void Hide();
    // Shows the form modal to the program's other windows and returns once
    // it is hidden.
    void ShowModal();
    // Brings the form to the front and gives it the keyboard.
    void Activate();
    // Brings the form to the front, leaving the keyboard where it is.
    void BringToFront();
    bool Minimized() const;
    // A minimised form comes back to its normal size.
    void Restore();
    // The window system's number for the form's window; 0 before it has one.
    unsigned long WindowId() const;
    // Hiding and showing keep the window where it was: without this, a
    // window manager places a re-mapped window afresh every time. Where the
    // desktop would hand a hidden window's place to the others, hiding
    // leaves the window in its place, drawn see-through, until it is shown
    // again or closed.
    void setKeepPlaceWhenHidden(bool keep);
    // False once an owner that has gone took the form's window with it.
    bool HasWindow() const;

    // The client area's colour (0x00RRGGBB).
    void setBackColor(std::uint32_t rgb);
    // An owned form stays above its owner, keeps out of the task bar and
    // goes when its owner goes.
    void setOwner(const Form& owner);
    // The desktop's task bar and pager leave the form out (by default they
    // list it).
    void KeepOutOfTaskbar();
    // The form shows for the first time in the middle of the screen.
    void CenterOnScreen();
    // The form fills the screen, from its first showing if it is not shown
    // yet; a borderless form covers it whole, an overlay exactly.
    void Maximize();
    // A CoverScreen form shows over exactly `area`'s pixels. Called before
    // Show; once shown, the client area is what must cover them.
    void CoverScreenArea(const ScreenArea& area);
    // The form gets every key until ReleaseKeyboard, as the desktop allows
    // (the key that cancels a form covering the screen must reach it).
    void TakeKeyboard();
    void ReleaseKeyboard();

    // Events. QueryUnload answers the close box (or the desktop's close):
    // false keeps the form open. Resize follows every change of the client
    // area's size; KeyDown gets the keys no control takes.
    std::function<bool()> QueryUnload;
    std::function<void()> Resize;
    std::function<void(int button, int shift, float x, float y)> MouseDown;
    std::function<void(int button, int shift, float x, float y)> MouseMove;
    std::function<void(int button, int shift, float x, float y)> MouseUp;
    std::function<void()> Click;
    std::function<void(int keyCode, int shift)> KeyDown;
    // A change of the window's state (minimised, restored).
    std::function<void()> WindowStateChanged;
};

}  // namespace controls
