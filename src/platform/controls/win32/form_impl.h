#pragma once
// The Win32 window behind a controls::Form, and what the form's keyboard
// needs: the menu bar and its shortcut keys, the default and cancel buttons,
// the Tab order.

#include <functional>
#include <vector>

#include "platform/controls/form.h"
#include "platform/controls/win32/control_impl.h"

namespace controls::win32 {

inline constexpr const wchar_t* kFormClass = L"TessarineForm";

struct FormImpl : Control::Impl {
    FormImpl(Form& control, Form::Style style) : control(control), style(style) {}

    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // The menu bar, made with the first menu.
    HMENU menuBar();
    // A menu command chosen (by the menu or its shortcut key).
    void menuCommand(WORD id);
    // The shortcut keys of the form's menu items changed.
    void setShortcut(WORD id, BYTE virtualFlags, WORD key);

    // A key pressed in the form before any control sees it: true when the
    // form took it (Tab, Enter, Esc, a menu shortcut, KeyDown).
    bool preTranslate(MSG& message);

    // Hides the window, giving the others back the input a modal showing
    // took from them first.
    void hide();

    Form& control;
    Form::Style style;
    // Handlers run only while the form is complete.
    bool attached = false;
    bool centreOnFirstShow = false;
    bool maximizeOnFirstShow = false;
    bool shownBefore = false;
    // Placed by the program (Move) before its first showing.
    bool placed = false;
    bool pressed = false;
    bool minimized = false;
    HWND defaultButton = nullptr;
    HWND cancelButton = nullptr;
    // Controls in Tab order.
    std::vector<HWND> tabOrder;
    // The windows a modal showing disabled.
    std::vector<HWND> disabledByModal;
    int dpiValue = 96;
    // The outer size the user may give the window (SizeLimit); 0: none.
    SIZE minimumTrack{};
    SIZE maximumTrack{};

  private:
    HMENU bar_ = nullptr;
    HWND lastFocus_ = nullptr;
    HACCEL accelerators_ = nullptr;
    std::vector<ACCEL> accelTable_;
    void moveFocus(bool forward);
    // The option buttons that share `button`'s container, in Tab order.
    std::vector<HWND> optionGroup(HWND button) const;
    void mouse(UINT message, WPARAM wParam, LPARAM lParam);
};

// Makes a form's top-level window.
HWND CreateFormWindow(Control::Impl& impl, DWORD style, DWORD exStyle);

// Presses a button as a click would (whether or not its window is active).
void Press(HWND button);

// The form a window belongs to (its top-level window's); null for others.
FormImpl* FormOf(HWND window);

// The menu item with this command id chose; false when there is none.
bool RunMenuItem(WORD id);

// A key press for the forms (see FormImpl::preTranslate), then the usual
// translation and dispatch.
void DispatchMessageForForms(MSG& message);

}  // namespace controls::win32
